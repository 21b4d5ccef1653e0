// URL parsing: the address part ends at the first "?" or "#" (a "?" after the "#" belongs to the
// fragment); a ":" after the first "/" lies in the path, not before a port.
#include "net/url.h"

namespace {

const String kSchemeMark("://");
const String kAt("@");
const String kColon(":");
const String kSlash("/");
const String kQuestion("?");
const String kHash("#");

// Index of sub in u at or after `from` and before `end`, or -1.
int FindBefore(const String& u, const String& sub, int from, int end) {
  int i = u.Find(sub, from);
  return (i >= 0 && i < end) ? i : -1;
}

}  // namespace

c_Url* c_Url::m_new(const String& url, const String& defaultScheme, int defaultPort) {
  m__defaultScheme = defaultScheme;
  m__defaultPort = defaultPort;
  p_Set2(url);
  return this;
}

c_Url* c_Url::m_new2() { return this; }

int c_Url::p_Set2(const String& u) {
  const int n = u.Length();
  m__url = u;
  m__scheme = m__defaultScheme;
  m__username = String();
  m__password = String();
  m__domain = String();
  m__port = m__defaultPort;
  m__path = kSlash;
  m__query = String();
  m__fragment = String();

  int q = u.Find(kQuestion);
  const int h = u.Find(kHash);
  if (q >= 0 && h >= 0 && q > h) q = -1;
  const int e = q >= 0 ? q : (h >= 0 ? h : n);

  int a = 0;
  const int s = FindBefore(u, kSchemeMark, 0, e);
  if (s >= 0) {
    m__scheme = u.Slice(0, s);
    a = s + kSchemeMark.Length();
  }

  const int t = FindBefore(u, kAt, a, e);
  if (t >= 0) {
    const int c = FindBefore(u, kColon, a, t);
    if (c >= 0) {
      m__username = u.Slice(a, c);
      m__password = u.Slice(c + 1, t);
    } else {
      m__username = u.Slice(a, t);
    }
    a = t + 1;
  }

  const int c = FindBefore(u, kColon, a, e);
  const int p = FindBefore(u, kSlash, a, e);
  if (c < 0 && p < 0) {
    m__domain = u.Slice(a, e);
  } else if (p < 0) {
    m__domain = u.Slice(a, c);
    m__port = u.Slice(c + 1, e).ToInt();
  } else if (c < 0 || p < c) {
    m__domain = u.Slice(a, p);
    m__path = u.Slice(p, e);
  } else {
    m__domain = u.Slice(a, c);
    m__port = u.Slice(c + 1, p).ToInt();
    m__path = u.Slice(p, e);
  }

  if (q >= 0 && h >= 0) {
    m__query = u.Slice(q + 1, h);
    m__fragment = u.Slice(h + 1, n);
  } else if (q >= 0) {
    m__query = u.Slice(q + 1, n);
  } else if (h >= 0) {
    m__fragment = u.Slice(h + 1, n);
  }
  return 0;
}

String c_Url::p_FullPath() {
  String path = m__path;
  if (m__query.Length() > 0) path = path + kQuestion + m__query;
  if (m__fragment.Length() > 0) path = path + kHash + m__fragment;
  return path;
}
