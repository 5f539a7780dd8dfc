-- (b) Numeric loop: integer arithmetic and a floating accumulator.
local s, x = 0, 0.5
for i = 1, 3000000 do
  s = s + (i % 7) * 3 - 1
  x = x * 0.999999 + 1
end
print(s .. " " .. math.floor(x))
