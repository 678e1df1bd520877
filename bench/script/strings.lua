-- String building with concatenation and string.sub.
local n = 0
for i = 0, 199999 do
  local s = "item" .. "-" .. "x"
  local t = string.sub(s .. s, 3, 6)
  if t == "m-xi" then n = n + 1 end
end
local s = ""
for i = 0, 99999 do s = s .. "ab" end
print(n)
print(#s)
