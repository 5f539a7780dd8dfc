# (b) Numeric loop: integer arithmetic and a floating accumulator.
s = 0
x = 0.5
for i in range(1, 3000001):
    s = s + (i % 7) * 3 - 1
    x = x * 0.999999 + 1
print(s, int(x))
