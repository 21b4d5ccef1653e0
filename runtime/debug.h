// runtime/debug.h: program output and the debugger channel: oxPrint, oxError and the
// runtime-error exit, the signal handler, the dbg_ formatters and stop protocol, ThrowableObject.
#pragma once

#include "runtime/gc.h"
#include "runtime/text.h"

// Messages the runtime prints, defined once (tests compare against these).
inline constexpr char OX_RUNTIME_ERROR_PREFIX[] = "Tarn Runtime Error : ";
inline constexpr char OX_UNCAUGHT_EXCEPTION[] = "Uncaught Tarn Exception";  // OxGame::Die
inline constexpr char OX_SIGSEGV_MESSAGE[] = "Memory access violation";
inline constexpr char OX_SIGILL_MESSAGE[] = "Illegal instruction";
inline constexpr char OX_SIGFPE_MESSAGE[] = "Floating point exception";
inline constexpr char OX_SIGNAL_MESSAGE[] = "Unknown signal";
inline constexpr char OX_LIST_ERROR[] = "LIST ERROR!";              // gc_validate_list
inline constexpr char OX_DBG_MARKER_FORMAT[] = "{{~~%s~~}}\n";      // dbg_stop, standard error
inline constexpr char OX_DBG_BAD_COMMAND_FORMAT[] = "????? %s ?????\n";  // dbg_stop, standard output
// dbg_value of a String shows at most this many characters, then "...".
inline constexpr int OX_DBG_STRING_MAX = 100;
// dbg_stop reads command lines of at most this many characters.
inline constexpr int OX_DBG_LINE_MAX = 255;

// Base class of objects that the language throws (by pointer). One that reaches the host ends the
// program through OxGame::Die.
class ThrowableObject : public Object {};

// Writes text as UTF-8 and one newline to standard output, and flushes.
void oxPrint(const String& text);
void oxDebugLog(const String& text);

// A runtime error: an empty message ends the process with status 0; any other prints
// "Tarn Runtime Error : " + message and the stack line and enters dbg_stop (status -1 without a
// debugger). Never returns.
[[noreturn]] void oxError(const String& message);
[[noreturn]] void dbg_error(const char* text);
// SIGSEGV, SIGILL and SIGFPE: dbg_error with the signal's message.
void sighandler(int sig);
void ox_install_signal_handlers();

// Debugger state: dbg_info stays null in this system, so stack texts are empty.
extern const char* dbg_info;
extern String dbg_exstack;
extern int dbg_stepmode;
extern int dbg_suspend;

String dbg_stacktrace();
[[noreturn]] void dbg_throw(const char* text);
// Writes text narrowed to 8 bits and one newline to standard error, and flushes.
void dbg_print(const String& text);
// The debugger stop protocol on standard error and standard input.
void dbg_stop();
void oxDebugStop();

// Formatters for debug() and the "@" command; pointer arguments keep the overloads apart.
String dbg_type(bool* p);
String dbg_type(int* p);
String dbg_type(float* p);
String dbg_type(String* p);
String dbg_value(bool* p);
String dbg_value(int* p);
String dbg_value(float* p);
String dbg_value(String* p);
String dbg_ptr_value(const void* p);  // "%p" without a leading "0x"
template <class T>
String dbg_value(T** p) {
  return dbg_ptr_value(static_cast<const void*>(*p));
}
