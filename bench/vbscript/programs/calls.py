# (c) 1,000,000 calls of a small function.
def step(a, b):
    return a + b * 2
acc = 0
for i in range(1, 1000001):
    acc = step(acc, 1) - 1
print(acc)
