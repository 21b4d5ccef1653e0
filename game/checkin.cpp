// The online check-in: one GET to the maker's endpoint whose completion the game object
// receives on the main thread; the reply body is recorded and nothing else depends on it.
#include "game/checkin.h"

#include "game/my_app.h"

String Ping_URL(kCheckinDefaultUrl);

namespace {

const String kGet("GET");
const String kQuerySeparator("?");
const String kNoReply("N/A");  // m_checkinState before a reply has arrived

constexpr int kStateSent = 0;
constexpr int kStateComplete = 1;

}  // namespace

String ox_checkin_Parameters() { return String(kCheckinQueryPrefix) + String(GameNum); }

int c_MyApp::p_GetURL(String url, String parameters) {
    m_checkinState = kNoReply;
    // A plain concatenation: neither part is encoded.
    const String address = url + kQuerySeparator + parameters;
    gc_assign(m_httpRequest, (new c_HttpRequest)->m_new());
    m_httpRequest->p_Open(kGet, address, this);
    m_httpRequest->p_Send();
    oxPrint(String(kMsgRequestingUrl));
    m_httpState = kStateSent;
    return 0;
}

int c_MyApp::p_OnHttpRequestComplete(c_HttpRequest* request) {
    // A request replaced by a later one has nothing to report.
    if (request != m_httpRequest) return 0;
    oxPrint(String(kMsgHttpGetComplete) + String(request->p_Status()));
    m_httpState = kStateComplete;
    m_checkinState = request->p_ResponseText();
    if (m_checkinState.Length() > 0) Ping_Able = 1;
    return 0;
}
