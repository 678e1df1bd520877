-- An arithmetic for loop over locals.
local s = 0
for i = 0, 39999999 do
  s = s + (i * 3 + 1) % 7 - i / 4
end
print(s)
