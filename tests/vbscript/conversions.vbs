ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
Class WithDefault
    Public Default Property Get Value : Value = 42 : End Property
End Class
Class WithoutDefault
    Public X
End Class
Dim o, plain : Set o = New WithDefault : Set plain = New WithoutDefault
Dim errors : errors = Array( Array("CByte(256)", 6), Array("CByte(-1)", 6), Array("CByte(255.5)", 6), Array("CByte(True)", 6), Array("CByte(""x"")", 13), Array("CInt(32767.5)", 6), Array("CInt("""")", 13), Array("CInt(Null)", 94), Array("CLng(2147483647.5)", 6), Array("CLng(""abc"")", 13), Array("CLng(Nothing)", 91), Array("CByte(plain)", 438), Array("CSng(1E+39)", 6), Array("CSng(""x"")", 13), Array("CDbl(""1E+309"")", 6), Array("CDbl(""x"")", 13), Array("CCur(1E+15)", 6), Array("CCur(""x"")", 13), Array("CDate(""x"")", 13), Array("CDate(3E+6)", 6), Array("Abs(""x"")", 13), Array("Abs(CCur(""-922337203685477.5808""))", 6), Array("CBool(""x"")", 13), Array("Hex(2147483648)", 6), Array("Exp(1000)", 6), Array("Sqr(-1)", 5), Array("Log(0)", 5), Array("Rnd(Null)", 94), Array("Randomize Null", 94))
Dim c : For Each c In errors : If Left(c(0), 9) = "Randomize" Then CheckError c(0), c(0), c(1) Else CheckError c(0), "x = " & c(0), c(1)
Next
Dim values : values = Array( Array("CByte(-0.5)", CByte(0)), Array("CByte(o)", CByte(42)), Array("CByte(Empty)", CByte(0)), Array("CInt(-32768.5)", CInt(-32768)), Array("CInt(""1e3"")", 1000), Array("CInt(o)", 42), Array("CInt(2.5)", 2), Array("CLng(-2147483648.5)", CLng(-2147483647) - 1), Array("CLng(""2.5"")", CLng(2)), Array("CSng(o)", CSng(42)), Array("CDbl(o)", CDbl(42)), Array("CDbl(""  12  "")", CDbl(12)), Array("CCur(o)", CCur(42)), Array("CCur(True)", CCur(-1)), Array("CDate(True)", #12/29/1899#), Array("Abs(o)", 42), Array("Abs(True)", 1), Array("Abs(CByte(3))", CByte(3)), Array("Abs(-32768)", CLng(32768)), Array("Abs(""-3"")", CDbl(3)), Array("Abs(Empty)", 0), Array("CBool(o)", True), Array("CStr(o)", "42"), Array("Fix(CCur(-2.5))", CCur(-2)), Array("CLng(""&hFFFFFFFF"")", CLng(-1)))
For Each c In values : Check c(0), Eval(c(0)), c(1) : Next
Check "abs null", Abs(Null), Null
Check "rnd sequence", (Rnd(0) * 16777216) & " " & (Rnd * 16777216) & " " & (Rnd(0) * 16777216) & " " & (Rnd(-1) * 16777216) & " " & (Rnd(-1) * 16777216), "327680 11837123 11837123 3758214 3758214"
Dim first, k, x, inRange : inRange = True : Rnd -1 : Randomize 10 : first = Rnd & " " & Rnd : Rnd -1 : Randomize 10 : Check "randomize repeats", Rnd & " " & Rnd, first
Rnd -1 : Randomize 11 : Check "randomize mixes the seed", Rnd & " " & Rnd <> first, True
Randomize : For k = 1 To 1000 : x = Rnd : inRange = inRange And x >= 0 And x < 1 : Next : Check "rnd range", inRange, True
Done
