' expect: error (7|1799):
Dim keep(100), i : For i = 0 To 100 : ReDim a(40000000) : keep(i) = a : Next
