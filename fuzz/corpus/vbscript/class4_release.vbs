For i = 1 To 3000 : a = Array(a) : Next
a = Empty
