-- (c) 1,000,000 calls of a small function.
local function step(a, b)
  return a + b * 2
end
local acc = 0
for i = 1, 1000000 do
  acc = step(acc, 1) - 1
end
print(acc)
