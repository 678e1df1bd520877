-- Deep recursion with three arguments: 12000 descents of 1000 levels each.
function deep(n, acc, step)
  if n <= 0 then return acc end
  return deep(n - 1, acc + step * n, step % 7 + 1)
end
local s = 0
for r = 0, 11999 do s = s + deep(1000, r, r % 5 + 1) % 1000 end
print(s)
