-- A chain of twenty tests in a loop (Lua has no switch), every branch taken in turn.
local s = 0
for i = 0, 9999999 do
  local k = i % 20
  if k == 0 then s = s + 1
  elseif k == 1 then s = s + 4
  elseif k == 2 then s = s + 7
  elseif k == 3 then s = s + 10
  elseif k == 4 then s = s + 13
  elseif k == 5 then s = s + 16
  elseif k == 6 then s = s + 19
  elseif k == 7 then s = s + 22
  elseif k == 8 then s = s + 25
  elseif k == 9 then s = s + 28
  elseif k == 10 then s = s + 31
  elseif k == 11 then s = s + 34
  elseif k == 12 then s = s + 37
  elseif k == 13 then s = s + 40
  elseif k == 14 then s = s + 43
  elseif k == 15 then s = s + 46
  elseif k == 16 then s = s + 49
  elseif k == 17 then s = s + 52
  elseif k == 18 then s = s + 55
  elseif k == 19 then s = s + 58
  end
end
print(s)
