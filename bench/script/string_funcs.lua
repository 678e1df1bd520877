-- String functions in a loop: building, case, search, replacement, characters and numbers.
local n = 0
for i = 0, 299999 do
  local s = "Player" .. tostring(i % 100) .. "a"
  local t = string.upper(s)
  n = n + #t + (string.find(t, "ER", 1, true) or 0)
  t = string.gsub(s, "a", "4")
  if string.sub(t, 3, 3) == "4" then n = n + 1 end
  n = n + string.byte(s, 1) + tonumber((string.gsub(s, "%D", "")))
end
print(n)
