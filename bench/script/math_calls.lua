-- Loops over built-in math calls.
local s = 0
for i = 0, 2999999 do
  s = s + math.sqrt(i) + math.sin(i) * math.abs(math.cos(i)) + math.floor(i / 3) + math.max(i, 7, 3)
end
print(s)
