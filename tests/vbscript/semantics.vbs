ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- Err.Raise: left-out arguments keep the Err object's values; 32-bit codes map
On Error Resume Next
Err.Raise 1000, "Mine", "first", "help.chm", 7
Err.Raise 1001
Check "kept source", Err.Source, "Mine"
Check "kept description", Err.Description, "first"
Check "kept help file", Err.HelpFile, "help.chm"
Check "kept help context", Err.HelpContext, CLng(7)
Err.Clear
Err.Raise 11
Check "catalogue text", Err.Description, "Division by zero"
Check "runtime source", Err.Source, "Microsoft VBScript runtime error"
Err.Clear
Err.Raise 30000
Check "unknown text", Err.Description, "Unknown runtime error"
Dim codes : codes = Array(Array(&H8007000E, 7, "Out of memory"), Array(&H800A000B, 11, "Division by zero"), _
    Array(&H80004001, 445, "Object doesn't support this action"), Array(&H80020005, 13, "Type mismatch"), _
    Array(&H8002000E, 450, "Wrong number of arguments or invalid property assignment"), _
    Array(&H80070057, 5, "Invalid procedure call or argument"), Array(&H80040005, &H80040005, "Unknown runtime error"))
For Each c In codes
    Err.Clear : Err.Raise c(0)
    Check "hresult " & Hex(c(0)), Err.Number, CLng(c(1))
    Check "hresult text " & Hex(c(0)), Err.Description, c(2)
Next
On Error GoTo 0
CheckError "raise without number", "Err.Raise", 450
CheckError "raise skipped number", "Err.Raise , ""s""", 450
CheckError "raise 0", "Err.Raise 0", 5
CheckError "raise 65536", "Err.Raise 65536", 5
CheckError "raise past Long", "Err.Raise 1E+10", 6
' ---- Round keeps Booleans and integer types; For leaves its counter past the bound
Check "round byte", Round(CByte(3)), CByte(3)
Check "round long", Round(CLng(3)), CLng(3)
Check "round string", Round("2.5"), CDbl(2)
Check "round date", VarType(Round(CDate(1.5))), CInt(vbDouble)
For i = 1 To 3 : Next
Check "for counter after", i, 4
For i = 5 To 1 : Next
Check "for counter never entered", i, 5
For i = 1 To 10 : i = 1E+300 : Next
Check "for counter huge", i, 1E+300 + 1
' ---- named constants are typed
Dim consts : consts = Array(Array(vbBinaryCompare, vbLong), Array(vbTextCompare, vbLong), Array(vbDatabaseCompare, vbLong), _
    Array(vbSunday, vbLong), Array(vbOKOnly, vbLong), Array(vbRed, vbLong), Array(vbObjectError, vbLong), Array(vbCrLf, vbString))
For Each c In consts : Check "constant type " & c(0), VarType(c(0)), CInt(c(1)) : Next
' ---- declarations inside blocks, End right after a statement, Call (name)
Dim trace
If False Then
    Sub InBlock(x) : trace = trace & x End Sub
    Class InBlockClass : Public v : End Class
End If
InBlock "a"
Call (InBlock)("b")
Dim ibc : Set ibc = New InBlockClass
Select Case 2
Case 1, 2, 2 : trace = trace & "c"
Case 2 : trace = trace & "x"
End Select
Check "declared in If", trace, "abc"
' ---- Null, Empty and range rules of the string built-ins
Check "replace null find", IsNull(Replace("abc", Null, "x")), True
Check "split null delimiter", IsNull(Split("a b", Null)), True
CheckError "replace null start", "x = Replace(""abc"", ""a"", ""b"", Null)", 94
CheckError "split null count", "x = Split(""a b"", "" "", Null)", 94
CheckError "instrrev start 0", "x = InStrRev(""abc"", ""b"", 0)", 5
CheckError "instr null start", "x = InStr(Null, ""a"", ""a"")", 94
CheckError "string empty char", "x = String(3, """")", 5
' ---- conversions: overflow 6, text 13, default property, result type
Class WithDefault : Public Default Property Get V : V = "42" : End Property : End Class
Dim wd : Set wd = New WithDefault
Check "clng default", CLng(wd), CLng(42)
Check "abs default", Abs(wd), CDbl(42)
CheckError "cdbl huge text", "x = CDbl(""1E+400"")", 6
CheckError "cdbl text", "x = CDbl(""abc"")", 13
CheckError "cbyte true", "x = CByte(True)", 6
CheckError "ccur huge", "x = CCur(1E+20)", 6
CheckError "abs smallest currency", "x = Abs(CCur(""-922337203685477.5808""))", 6
CheckError "negate smallest currency", "x = -CCur(""-922337203685477.5808"")", 6
' ---- Rnd: the documented generator from its documented start
Check "rnd first", CStr(Rnd), "0.7055475"
Check "rnd second", CStr(Rnd), "0.533424"
Check "rnd seed -1", CStr(Rnd(-1)), "0.224007"
Check "rnd repeat", CStr(Rnd(0)), "0.224007"
Done
