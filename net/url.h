// URLs: c_Url splits a URL text into scheme, user information, domain, port, path, query and
// fragment, with a default scheme and port for the parts the text leaves out.
#pragma once

#include "runtime/runtime.h"

class c_Url : public Object {
 public:
  String m__defaultScheme;
  int m__defaultPort = 0;
  String m__url;  // the text last parsed
  String m__scheme;
  String m__username;
  String m__password;
  String m__domain;
  int m__port = 0;
  String m__path;  // always begins with "/"
  String m__query;
  String m__fragment;

  c_Url() {}
  c_Url* m_new(const String& url, const String& defaultScheme, int defaultPort);
  c_Url* m_new2();
  int p_Set2(const String& url);
  String p_Domain() { return m__domain; }
  int p_Port() { return m__port; }
  // The path, then "?" and the query and "#" and the fragment when they are not empty.
  String p_FullPath();
};
