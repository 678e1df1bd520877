-- Filling and summing a 30000-element array and a 2D array, several times.
local a, b = {}, {}
local s = 0
for r = 0, 599 do
  for i = 0, 29999 do a[i] = i * 2 end
  for i = 0, 29999 do s = s + a[i] end
  for i = 0, 99 do
    local row = b[i] or {}
    b[i] = row
    for j = 0, 299 do row[j] = i + j end
  end
  for i = 0, 99 do for j = 0, 299 do s = s + b[i][j] end end
end
print(s)
