ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' Every named numeric constant is a Long (VarType 3) with its value; the text constants are Strings.
Dim longs : longs = Split("vbBinaryCompare 0 vbTextCompare 1 vbDatabaseCompare 2 " & _
    "vbUseSystemDayOfWeek 0 vbSunday 1 vbMonday 2 vbTuesday 3 vbWednesday 4 vbThursday 5 vbFriday 6 vbSaturday 7 " & _
    "vbUseSystem 0 vbFirstJan1 1 vbFirstFourDays 2 vbFirstFullWeek 3 " & _
    "vbGeneralDate 0 vbLongDate 1 vbShortDate 2 vbLongTime 3 vbShortTime 4 " & _
    "vbOKOnly 0 vbOKCancel 1 vbAbortRetryIgnore 2 vbYesNoCancel 3 vbYesNo 4 vbRetryCancel 5 " & _
    "vbCritical 16 vbQuestion 32 vbExclamation 48 vbInformation 64 " & _
    "vbDefaultButton1 0 vbDefaultButton2 256 vbDefaultButton3 512 vbDefaultButton4 768 " & _
    "vbApplicationModal 0 vbSystemModal 4096 vbMsgBoxHelpButton 16384 vbMsgBoxSetForeground 65536 " & _
    "vbMsgBoxRight 524288 vbMsgBoxRtlReading 1048576 " & _
    "vbOK 1 vbCancel 2 vbAbort 3 vbRetry 4 vbIgnore 5 vbYes 6 vbNo 7 " & _
    "vbUseDefault -2 vbTrue -1 vbFalse 0 " & _
    "vbBlack 0 vbRed 255 vbGreen 65280 vbYellow 65535 vbBlue 16711680 vbMagenta 16711935 vbCyan 16776960 vbWhite 16777215 " & _
    "vbEmpty 0 vbNull 1 vbInteger 2 vbLong 3 vbSingle 4 vbDouble 5 vbCurrency 6 vbDate 7 vbString 8 vbObject 9 " & _
    "vbError 10 vbBoolean 11 vbVariant 12 vbDataObject 13 vbDecimal 14 vbByte 17 vbArray 8192 " & _
    "vbObjectError -2147221504")
Dim i
For i = 0 To UBound(longs) Step 2
    Check longs(i), Eval(longs(i)), CLng(longs(i + 1))
Next
Dim texts : texts = Array(Array("vbCr", Chr(13)), Array("vbLf", Chr(10)), Array("vbCrLf", Chr(13) & Chr(10)), _
    Array("vbNewLine", Chr(13) & Chr(10)), Array("vbTab", Chr(9)), Array("vbBack", Chr(8)), Array("vbFormFeed", Chr(12)), _
    Array("vbVerticalTab", Chr(11)), Array("vbNullChar", Chr(0)), Array("vbNullString", ""))
Dim t
For Each t In texts : Check t(0), Eval(t(0)), t(1) : Next
' Arithmetic on them follows from their type: Long + Integer stays Long.
Check "vbSunday + 1", TypeName(vbSunday + 1), "Long"
Done
