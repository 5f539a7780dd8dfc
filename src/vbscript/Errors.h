// The one error catalogue and the one error type of the engine.
//
// Every run-time and compile error the engine raises is listed once below
// (number, name, message as VBScript words it). Errors travel as a thrown
// `ScriptException`; they are caught in two places only: the statement loop
// (On Error Resume Next) and the host boundary (ScriptControl, ravelin-vbs).
// The position is attached where the error is known: by the lexer/parser for
// compile errors, and by the interpreter from the position of the statement
// or expression running when a run-time error leaves a built-in.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace ravelin::vbs {

#define RAVELIN_VBS_ERRORS(X)                                                                                          \
    X(InvalidCall, 5, "Invalid procedure call or argument")                                                            \
    X(Overflow, 6, "Overflow")                                                                                         \
    X(OutOfMemory, 7, "Out of memory")                                                                                 \
    X(SubscriptOutOfRange, 9, "Subscript out of range")                                                                \
    X(ArrayLocked, 10, "This array is fixed or temporarily locked")                                                    \
    X(DivisionByZero, 11, "Division by zero")                                                                          \
    X(TypeMismatch, 13, "Type mismatch")                                                                               \
    X(OutOfStringSpace, 14, "Out of string space")                                                                     \
    X(CantPerform, 17, "Can't perform requested operation")                                                            \
    X(OutOfStack, 28, "Out of stack space")                                                                            \
    X(TooManyFiles, 67, "Too many files")                                                                              \
    X(SubNotDefined, 35, "Sub or Function not defined")                                                                \
    X(Internal, 51, "Internal error")                                                                                  \
    X(BadFileName, 52, "Bad file name or number")                                                                      \
    X(FileNotFound, 53, "File not found")                                                                              \
    X(BadFileMode, 54, "Bad file mode")                                                                                \
    X(FileAlreadyOpen, 55, "File already open")                                                                        \
    X(IoError, 57, "Device I/O error")                                                                                 \
    X(FileExists, 58, "File already exists")                                                                           \
    X(DiskFull, 61, "Disk full")                                                                                       \
    X(InputPastEnd, 62, "Input past end of file")                                                                      \
    X(DeviceUnavailable, 68, "Device unavailable")                                                                     \
    X(PermissionDenied, 70, "Permission denied")                                                                       \
    X(DiskNotReady, 71, "Disk not ready")                                                                              \
    X(RenameAcrossDrives, 74, "Can't rename with different drive")                                                     \
    X(PathFileAccess, 75, "Path/File access error")                                                                    \
    X(PathNotFound, 76, "Path not found")                                                                              \
    X(ObjectNotSet, 91, "Object variable not set")                                                                     \
    X(ForNotInitialized, 92, "For loop not initialized")                                                               \
    X(InvalidNull, 94, "Invalid use of Null")                                                                          \
    X(ObjectRequired, 424, "Object required")                                                                          \
    X(CantCreateObject, 429, "ActiveX component can't create object")                                                  \
    X(NoAutomation, 430, "Class doesn't support Automation")                                                           \
    X(NoSuchMember, 438, "Object doesn't support this property or method")                                             \
    X(ActionNotSupported, 445, "Object doesn't support this action")                                                   \
    X(NamedArgs, 446, "Object doesn't support named arguments")                                                        \
    X(NoLocale, 447, "Object doesn't support current locale setting")                                                  \
    X(NamedArgNotFound, 448, "Named argument not found")                                                               \
    X(ArgNotOptional, 449, "Argument not optional")                                                                    \
    X(WrongArgCount, 450, "Wrong number of arguments or invalid property assignment")                                  \
    X(NotCollection, 451, "Object not a collection")                                                                   \
    X(KeyExists, 457, "This key is already associated with an element of this collection")                             \
    X(UnsupportedType, 458, "Variable uses an Automation type not supported in VBScript")                              \
    X(VariableUndefined, 500, "Variable is undefined")                                                                 \
    X(IllegalAssignment, 501, "Illegal assignment")                                                                    \
    X(InvalidReference, 505, "Invalid or unqualified reference")                                                       \
    X(ClassNotDefined, 506, "Class not defined")                                                                       \
    X(ElementNotFound, 32811, "Element not found")                                                                     \
    X(TimedOut, 1799, "Script timed out")                                                                              \
    X(CompileOutOfMemory, 1001, "Out of memory")                                                                       \
    X(SyntaxError, 1002, "Syntax error")                                                                               \
    X(ExpectedColon, 1003, "Expected ':'")                                                                             \
    X(ExpectedLParen, 1005, "Expected '('")                                                                            \
    X(ExpectedRParen, 1006, "Expected ')'")                                                                            \
    X(ExpectedIdentifier, 1010, "Expected identifier")                                                                 \
    X(ExpectedEquals, 1011, "Expected '='")                                                                            \
    X(ExpectedIf, 1012, "Expected 'If'")                                                                               \
    X(ExpectedTo, 1013, "Expected 'To'")                                                                               \
    X(ExpectedEnd, 1014, "Expected 'End'")                                                                             \
    X(ExpectedFunction, 1015, "Expected 'Function'")                                                                   \
    X(ExpectedSub, 1016, "Expected 'Sub'")                                                                             \
    X(ExpectedThen, 1017, "Expected 'Then'")                                                                           \
    X(ExpectedWend, 1018, "Expected 'Wend'")                                                                           \
    X(ExpectedLoop, 1019, "Expected 'Loop'")                                                                           \
    X(ExpectedNext, 1020, "Expected 'Next'")                                                                           \
    X(ExpectedCase, 1021, "Expected 'Case'")                                                                           \
    X(ExpectedSelect, 1022, "Expected 'Select'")                                                                       \
    X(ExpectedExpression, 1023, "Expected expression")                                                                 \
    X(ExpectedStatement, 1024, "Expected statement")                                                                   \
    X(ExpectedEndOfStatement, 1025, "Expected end of statement")                                                       \
    X(ExpectedInteger, 1026, "Expected integer constant")                                                              \
    X(ExpectedWhileUntil, 1027, "Expected 'While' or 'Until'")                                                         \
    X(ExpectedWhileUntilEnd, 1028, "Expected 'While', 'Until' or end of statement")                                    \
    X(ExpectedWith, 1029, "Expected 'With'")                                                                           \
    X(InvalidNumber, 1031, "Invalid number")                                                                           \
    X(InvalidCharacter, 1032, "Invalid character")                                                                     \
    X(UnterminatedString, 1033, "Unterminated string constant")                                                        \
    X(InvalidMe, 1037, "Invalid use of 'Me' keyword")                                                                  \
    X(LoopWithoutDo, 1038, "'loop' without 'do'")                                                                      \
    X(InvalidExit, 1039, "Invalid 'exit' statement")                                                                   \
    X(InvalidForVariable, 1040, "Invalid 'for' loop control variable")                                                 \
    X(NameRedefined, 1041, "Name redefined")                                                                           \
    X(ParensOnSubCall, 1044, "Cannot use parentheses when calling a Sub")                                              \
    X(ExpectedLiteral, 1045, "Expected literal constant")                                                              \
    X(ExpectedIn, 1046, "Expected 'In'")                                                                               \
    X(ExpectedClass, 1047, "Expected 'Class'")                                                                         \
    X(MustBeInClass, 1048, "Must be defined inside a Class")                                                           \
    X(ExpectedLetSetGet, 1049, "Expected Let or Set or Get in property declaration")                                   \
    X(ExpectedProperty, 1050, "Expected 'Property'")                                                                   \
    X(MultipleDefault, 1052, "Cannot have multiple default property/method in a Class")                                \
    X(InitTerminateArgs, 1053, "Class initialize or terminate do not have arguments")                                  \
    X(PropertyNeedsArg, 1054, "Property set or let must have at least one argument")                                   \
    X(UnexpectedNext, 1055, "Unexpected 'Next'")                                                                       \
    X(DefaultPlacement, 1056, "'Default' can be specified only on 'Property Get', 'Function' or 'Sub'")                \
    X(DefaultNotPublic, 1057, "'Default' must also be 'Public'")

enum class Err : int {
#define RAVELIN_VBS_ERROR_ENUM(name, number, text) name = number,
    RAVELIN_VBS_ERRORS(RAVELIN_VBS_ERROR_ENUM)
#undef RAVELIN_VBS_ERROR_ENUM
};

// Catalogue text for a number; "Unknown runtime error" when unlisted.
std::string_view errorMessage(int number);
// Compile errors are 1001..1099 except the time-out.
bool isCompileError(int number);

// Err.Source of the engine's own errors.
inline constexpr std::string_view RuntimeErrorSource = "Microsoft VBScript runtime error";
inline constexpr std::string_view CompileErrorSource = "Microsoft VBScript compilation error";

// The state of one error: what Err shows and what the host reports.
struct ScriptError {
    int number = 0;
    std::string description;
    std::string source;
    int line = 0; // 1-based; 0 when unknown
    int column = 0; // 1-based; 0 when unknown
    std::string lineText;
    std::string helpFile;
    int helpContext = 0;
};

// The one exception type. `fatal` errors (the time-out, a host abort) pass
// through On Error Resume Next and stop the script.
class ScriptException : public std::exception {
public:
    explicit ScriptException(ScriptError e, bool fatal = false) : m_error(std::move(e)), m_fatal(fatal) {}
    const char* what() const noexcept override { return m_error.description.c_str(); }
    ScriptError& error() { return m_error; }
    const ScriptError& error() const { return m_error; }
    bool fatal() const { return m_fatal; }
    bool positioned() const { return m_error.line > 0; }

private:
    ScriptError m_error;
    bool m_fatal;
};

// The catalogued error with its message and source, not yet positioned.
ScriptError catalogError(Err code);
// Raises a catalogued error with its message (position added by the interpreter).
[[noreturn]] void raise(Err code);
// Raises a catalogued error at a known position (compile errors).
[[noreturn]] void raiseAt(Err code, int line, int column);
// Raises any number with a given description and source (Err.Raise, host
// objects). A 32-bit error code with a VBScript meaning becomes that number
// (see scriptErrorNumber); an empty description is then the catalogue's.
[[noreturn]] void raiseCustom(int number, std::string description, std::string source = {});

// The number a script sees for a 32-bit error code: the VBScript facility's
// codes (0x800Annnn) give their low word, the standard COM, dispatch, storage
// and Win32 failures their VBScript equivalent (E_NOTIMPL 445, type mismatch
// 13, bad argument count 450, E_OUTOFMEMORY 7, ...); anything else is kept.
int scriptErrorNumber(int number);

} // namespace ravelin::vbs
