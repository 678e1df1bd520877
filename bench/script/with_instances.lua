-- `with` over many instances: 1,000 instance tables each moved and wrapped 10,000 times by a loop
-- over the list, as a manager object does to its crowd each step.
local list = {}
for i = 0, 999 do
  list[#list + 1] = {x = i % 100, v = 1 + (i % 7)}
end
for k = 0, 9999 do
  for _, inst in ipairs(list) do
    inst.x = inst.x + inst.v
    if inst.x > 100 then inst.x = inst.x - 100 end
  end
end
local total = 0
for _, inst in ipairs(list) do total = total + inst.x end
print(math.floor(total))
