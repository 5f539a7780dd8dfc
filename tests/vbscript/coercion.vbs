' Check, CheckError and Done are shared by every script: they live in check.inc.
ExecuteGlobal CreateObject("Scripting.FileSystemObject").OpenTextFile(Replace(WScript.ScriptFullName, WScript.ScriptName, "check.inc")).ReadAll
' ---- checks
' Literal typing, conversions, VarType/TypeName and comparison rules.
Check "integer literal", TypeName(1), "Integer"
Check "long literal", TypeName(32768), "Long"
Check "double literal", TypeName(2147483648), "Double"
Check "hex integer", &hFFFF, -1
Check "hex long", &hFFFF&, 65535
Check "octal", &O17, 15
Dim hi : hi = "there"
Check "concat with name hi", "x" &hi, "xthere"
Check "integer widens", 32767 + 1, 32768
Check "long widens", 2147483647 + 1, 2147483648
Check "negated long literal stays Long", TypeName(-32768), "Long"
Check "negative integer literal", TypeName(-32767), "Integer"
Check "CInt half even 0.5", CInt(0.5), 0
Check "CInt half even 1.5", CInt(1.5), 2
Check "CInt -36.5", CInt(-36.5), -36
Check "CInt string", CInt("3.5"), 4
Check "CLng 2.5", CLng(2.5), CLng(2)
Check "CLng type", TypeName(CLng(1)), "Long"
Check "CDbl text", CDbl("1e3"), 1000.0
Check "CDbl blanks", CDbl("  12.5 "), 12.5
Check "CBool text", CBool("True"), True
Check "CBool zero text", CBool("0"), False
Check "CBool number", CBool(-2), True
Check "CStr true", CStr(True), "True"
Check "CStr double", CStr(1.5), "1.5"
Check "CStr empty", CStr(Empty), ""
Check "CByte", CByte(255), CByte(255)
Check "CInt true", CInt(True), -1
Check "true plus one", True + 1, 0
CheckError "CInt overflow", "x = CInt(32768)", 6
CheckError "CLng overflow", "x = CLng(3000000000)", 6
CheckError "CByte overflow", "x = CByte(256)", 6
CheckError "CInt mismatch", "x = CInt(""abc"")", 13
CheckError "CStr Null", "x = CStr(Null)", 94
CheckError "CBool mismatch", "x = CBool(""maybe"")", 13
CheckError "CInt Null", "x = CInt(Null)", 94
Check "VarType Empty", VarType(Empty), 0
Check "VarType Null", VarType(Null), 1
Check "VarType String", VarType(""), 8
Check "VarType array", VarType(Array()), 8204
Check "VarType currency", VarType(CCur(1)), 6
Check "VarType single", VarType(CSng(1)), 4
Check "VarType byte", VarType(CByte(1)), 17
Check "VarType boolean", VarType(True), 11
Check "VarType date", VarType(#1/1/2000#), 7
Check "TypeName Nothing", TypeName(Nothing), "Nothing"
Check "TypeName Empty", TypeName(Empty), "Empty"
Check "TypeName Null", TypeName(Null), "Null"
Check "TypeName dictionary", TypeName(CreateObject("Scripting.Dictionary")), "Dictionary"
Check "TypeName array", TypeName(Array(1)), "Variant()"
Check "IsNumeric text", IsNumeric("12"), True
Check "IsNumeric word", IsNumeric("abc"), False
Check "IsNumeric Empty", IsNumeric(Empty), True
Check "IsNumeric Null", IsNumeric(Null), False
Check "IsEmpty", IsEmpty(Empty), True
Check "IsNull", IsNull(Null), True
Check "IsObject Nothing", IsObject(Nothing), True
' Comparisons
Check "text compare", "10" < "9", True
Check "numeric compare", 10 < 9, False
Check "empty equals zero", Empty = 0, True
Check "empty equals blank", Empty = "", True
Check "null compare", IsNull(Null = 1), True
Check "case matters", "abc" = "ABC", False
Check "binary order", "a" < "B", False
Dim s10 : s10 = "10"
Check "string vs numeric literal", s10 = 10, True
Check "string vs numeric literal order", s10 < 9, False
Dim n10 : n10 = 10
Check "string vs numeric variable", s10 = n10, False
Check "numeric variable less than string", n10 < s10, True
Check "chained comparison", 1 = 1 < 0, True
Check "comparison yields boolean", TypeName(1 < 2), "Boolean"
Check "true is -1", CInt(1 < 2), -1
Done
