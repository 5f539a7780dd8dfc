On Error Resume Next
ReDim a(65535, 65535, 65535, 65535)
a(1, 2, 3, 4) = 1
ReDim a(2147483647)
ReDim a(-2)
