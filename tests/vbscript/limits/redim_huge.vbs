' expect: error (7|1799):
' Huge ReDims kept alive side by side: the held-memory cap or the time limit ends it.
Dim keep(100), i
For i = 0 To 100
    ReDim a(40000000)
    keep(i) = a
Next
