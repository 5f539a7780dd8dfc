' (b) Numeric loop: integer arithmetic and a floating accumulator.
Dim i, s, x
s = 0 : x = 0.5
For i = 1 To 3000000
    s = s + (i Mod 7) * 3 - 1
    x = x * 0.999999 + 1
Next
WScript.Echo s & " " & Int(x)
