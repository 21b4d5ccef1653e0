// The online check-in's texts and its endpoint: what the game prints about the request,
// and where start-up sends it when Ping_Allow is 1.
#pragma once

#include "runtime/runtime.h"

// Printed when the check-in request goes out, and (followed by the status) when it completes.
inline constexpr char kMsgRequestingUrl[] = "Requesting URL";
inline constexpr char kMsgHttpGetComplete[] = "Http GET complete! ";

// The endpoint start-up uses unless Ping_URL is changed: a host under the reserved test
// domain, since the check-in is switched off in every shipped configuration.
inline constexpr char kCheckinDefaultUrl[] = "http://checkin.quadrantrush.test/housecall.php";
// The check-in's query: this text, then GameNum in decimal.
inline constexpr char kCheckinQueryPrefix[] = "hello=1&gameID=";

// The check-in endpoint (an "http" URL without query); settable so that a run can point it
// at another server.
extern String Ping_URL;

// The query text of the check-in: "hello=1&gameID=" and GameNum.
String ox_checkin_Parameters();
