// runtime/debug.cpp: oxPrint, runtime errors and signals, the dbg_ formatters and the debugger stop
// protocol.
#include "runtime/debug.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

const char* dbg_info = nullptr;
String dbg_exstack;
int dbg_stepmode = 0;
int dbg_suspend = 0;

namespace {
std::string print_buffer;         // oxPrint's bytes, reused
std::vector<char> dbg_buffer;     // dbg_print's and dbg_stop's bytes, reused
}  // namespace

void oxPrint(const String& text) {
  print_buffer.clear();
  print_buffer += text.ToUtf8();
  print_buffer += '\n';
  std::fwrite(print_buffer.data(), 1, print_buffer.size(), stdout);
  std::fflush(stdout);
}

void oxDebugLog(const String& text) { oxPrint(text); }

void oxError(const String& message) {
  if (message.Length() == 0) std::exit(0);
  String::CString<char> text = message.ToCString<char>();
  dbg_error(text);
}

void dbg_error(const char* text) {
  for (;;) {
    oxPrint(String(OX_RUNTIME_ERROR_PREFIX) + String(text));
    oxPrint(dbg_stacktrace());
    dbg_stop();
  }
}

void sighandler(int sig) {
  const char* message = OX_SIGNAL_MESSAGE;
  switch (sig) {
    case SIGSEGV: message = OX_SIGSEGV_MESSAGE; break;
    case SIGILL: message = OX_SIGILL_MESSAGE; break;
    case SIGFPE: message = OX_SIGFPE_MESSAGE; break;
  }
  dbg_error(message);
}

void ox_install_signal_handlers() {
  std::signal(SIGSEGV, sighandler);
  std::signal(SIGILL, sighandler);
  std::signal(SIGFPE, sighandler);
}

String dbg_stacktrace() {
  if (!dbg_info || !*dbg_info) return String();
  return String(dbg_info) + String("\n");
}

void dbg_throw(const char* text) {
  dbg_exstack = dbg_stacktrace();
  throw text;
}

void dbg_print(const String& text) {
  dbg_buffer.clear();
  for (int i = 0; i < text.Length(); ++i) dbg_buffer.push_back(static_cast<char>(text[i]));
  dbg_buffer.push_back('\n');
  std::fwrite(dbg_buffer.data(), 1, dbg_buffer.size(), stderr);
  std::fflush(stderr);
}

void dbg_stop() {
  std::fprintf(stderr, OX_DBG_MARKER_FORMAT, dbg_info ? dbg_info : "");
  std::fprintf(stderr, "%s\n", "");  // the call-stack text: empty in this system
  std::fflush(stderr);
  dbg_buffer.resize(OX_DBG_LINE_MAX + 1);
  char* line = dbg_buffer.data();
  for (;;) {
    if (!std::fgets(line, OX_DBG_LINE_MAX + 1, stdin)) std::exit(-1);
    std::size_t n = std::strlen(line);
    if (n == 0 || line[n - 1] != '\n') std::exit(-1);
    line[n - 1] = 0;
    switch (line[0]) {
      case '?':
        break;
      case '@': {
        void* p = nullptr;
        std::sscanf(line + 1, "%p", &p);
        String description = p ? static_cast<Object*>(p)->debug() : String();
        dbg_print(description);
        line = dbg_buffer.data();  // dbg_print reused the buffer
        break;
      }
      case 'r': dbg_stepmode = 0; dbg_suspend = 0; return;
      case 's': dbg_stepmode = 's'; dbg_suspend = 1; return;
      case 'e': dbg_stepmode = 'e'; dbg_suspend = 1; return;
      case 'l': dbg_stepmode = 'l'; dbg_suspend = 0; return;
      case 'q': std::exit(0);
      default:
        std::printf(OX_DBG_BAD_COMMAND_FORMAT, line);
        std::fflush(stdout);
        std::exit(-1);
    }
    dbg_buffer.resize(OX_DBG_LINE_MAX + 1);
    line = dbg_buffer.data();
  }
}

void oxDebugStop() { dbg_stop(); }

String dbg_type(bool*) { return String("Bool"); }
String dbg_type(int*) { return String("Int"); }
String dbg_type(float*) { return String("Float"); }
String dbg_type(String*) { return String("String"); }

String dbg_value(bool* p) { return String(*p ? "True" : "False"); }
String dbg_value(int* p) { return String(*p); }
String dbg_value(float* p) { return String(*p); }

String dbg_value(String* p) {
  String s = *p;
  if (s.Length() > OX_DBG_STRING_MAX) s = s.Slice(0, OX_DBG_STRING_MAX) + String("...");
  s = s.Replace(String("\""), String("~q"));
  s = s.Replace(String("\t"), String("~t"));
  s = s.Replace(String("\n"), String("~n"));
  s = s.Replace(String("\r"), String("~r"));
  return String("\"") + s + String("\"");
}

String dbg_ptr_value(const void* p) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%p", p);
  const char* text = buf;
  if (text[0] == '0' && text[1] == 'x') text += 2;
  return String(text);
}
