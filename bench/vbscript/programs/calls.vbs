' (c) 1,000,000 calls of a small Function.
Function Step(a, b)
    Step = a + b * 2
End Function
Dim i, acc
acc = 0
For i = 1 To 1000000
    acc = Step(acc, 1) - 1
Next
WScript.Echo acc
