-- Maps and lists filled, read and emptied many times: real and string keys.
local s = 0
for r = 0, 99 do
  local m = {}
  for i = 0, 4999 do m[i] = i * 2 end
  for i = 0, 4999 do s = s + m[i] end
  for i = 0, 4999 do if m[i * 3] ~= nil then s = s + 1 end end
  m = {}
  for i = 0, 1999 do m["k" .. tostring(i)] = i end
  for i = 0, 1999 do s = s + m["k" .. tostring(i)] end
  local l = {}
  for i = 0, 4999 do l[#l + 1] = i end
  for i = 0, 4999 do s = s + l[i + 1] end
  s = s + #l
end
print(s)
