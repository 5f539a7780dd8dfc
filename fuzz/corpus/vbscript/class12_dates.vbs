On Error Resume Next
x = DateSerial(2000, -2147483648, 1)
x = CDate("1E300")
x = DateAdd("yyyy", 1E300, Now)
x = DateDiff("s", #1/1/100#, #12/31/9999#)
