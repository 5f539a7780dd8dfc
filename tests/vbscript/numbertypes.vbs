ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' Arithmetic keeps the narrowest type that holds the result (VarType of each).
Dim x, i
Dim cases : cases = Array( _
    Array("1 + 1", vbInteger), Array("32767 + 1", vbLong), Array("-1 - 1", vbInteger), Array("200 * 200", vbLong), _
    Array("7 \ 2", vbInteger), Array("7 Mod 2", vbInteger), Array("2 ^ 2", vbDouble), Array("1 / 1", vbDouble), _
    Array("True + True", vbInteger), Array("CByte(1) + CByte(1)", vbByte), Array("CByte(200) + CByte(100)", vbInteger), _
    Array("CByte(0) - CByte(1)", vbInteger), Array("-CByte(2)", vbInteger), Array("Empty + Empty", vbInteger), _
    Array("Not CByte(1)", vbByte), Array("Not True", vbBoolean), Array("CByte(7) \ CByte(2)", vbByte), _
    Array("""3"" + 1", vbDouble), Array("""3"" \ 1", vbLong), Array("2147483647 + 1", vbDouble), _
    Array("CSng(1) + 1", vbSingle), Array("CSng(1) + CLng(1)", vbDouble), Array("CCur(1) * 2", vbCurrency), _
    Array("Date + 1", vbDate), Array("Date - Date", vbDouble), Array("Len(""a"")", vbLong), Array("&h10", vbInteger), _
    Array("&hFFFF&", vbLong), Array("32768", vbLong), Array("-32768", vbLong), Array("Abs(-1)", vbInteger))
Dim c
For Each c In cases : Check c(0), VarType(Eval(c(0))), c(1) : Next
' A For counter counts as an addition: it keeps its start's type.
For i = 1 To 2.5 : Next : Check "for past a fractional bound", VarType(i), vbInteger
For i = CByte(1) To 2 : Next : Check "for from a Byte", VarType(i), vbInteger
For i = 32766 To 32767 : Next : Check "for past Integer", i, CLng(32768)
For i = 1 To 2 Step 0.5 : Next : Check "for with a fractional step", i, CDbl(2.5)
For i = CCur(1) To 2 : Next : Check "for from Currency", i, CCur(3)
' Every named constant's type.
Dim longs : longs = Array(vbBinaryCompare, vbTextCompare, vbDatabaseCompare, vbObjectError, vbRed, vbWhite, _
    vbMsgBoxHelpButton, vbMsgBoxRight)
Dim ints : ints = Array(vbSunday, vbSaturday, vbUseSystemDayOfWeek, vbFirstJan1, vbFirstFullWeek, vbGeneralDate, _
    vbShortTime, vbOKOnly, vbYesNo, vbCritical, vbInformation, vbDefaultButton4, vbSystemModal, vbOK, vbNo, _
    vbTrue, vbFalse, vbUseDefault, vbEmpty, vbString, vbArray)
Dim strs : strs = Array(vbCr, vbLf, vbCrLf, vbNewLine, vbTab, vbNullChar, vbNullString, vbFormFeed, vbVerticalTab)
For Each c In longs : Check "long constant " & c, VarType(c), vbLong : Next
For Each c In ints : Check "integer constant " & c, VarType(c), vbInteger : Next
For Each c In strs : Check "text constant " & AscW(c & "x"), VarType(c), vbString : Next
Done
