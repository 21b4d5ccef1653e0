// The online check-in against a scripted server on the loopback address: nothing goes out while
// it is switched off; switched on, start-up sends the request and the game records the reply.
#include "shell_fixture.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "framework/graphics.h"
#include "game/checkin.h"
#include "net/data_buffer.h"
#include "support/loopback_server.h"

using qrtest::HttpReply;
using qrtest::LoopbackServer;
using qrtest::ServerScript;

namespace {

// Longest a reply may take to reach the game on a busy machine.
constexpr auto kReplyWait = std::chrono::seconds(10);
// Real time between frames, so the socket worker gets to run.
constexpr auto kFramePause = std::chrono::milliseconds(1);
// How long a switched-off start-up is watched for a connection.
constexpr auto kQuietWait = std::chrono::milliseconds(200);

constexpr char kEndpointPath[] = "/housecall.php";
constexpr char kOk[] = "HTTP/1.0 200 OK";
constexpr int kHttpOk = 200;

ServerScript Answering(std::vector<std::string> chunks, ServerScript::End end = ServerScript::End::Close) {
    ServerScript script;
    script.chunks = std::move(chunks);
    script.end = end;
    return script;
}

std::string Text(const String& s) { return s.ToUtf8(); }

int Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// A request the test watches after the game has let go of it, kept alive as a game field would.
c_HttpRequest* watchedRequest = nullptr;
void MarkWatchedRequest() { gc_mark_q(watchedRequest); }

// Whether an object is still on one of the collector's live lists (not swept).
bool Live(gc_object* object) {
    for (gc_object* head : {&gc_unmarked_list, &gc_queued_list, &gc_marked_list}) {
        for (gc_object* p = head->succ; p != head; p = p->succ)
            if (p == object) return true;
    }
    return false;
}

std::string CompleteLine(int status) { return kMsgHttpGetComplete + std::to_string(status); }

class CheckinTest : public ShellFixture {
 protected:
    void SetUp() override {
        ShellFixture::SetUp();
        if (!ox_graphics_device) ox_graphics_SetGraphicsDevice(new gxtkGraphics);
        Ping_Allow = 0;
        Ping_Able = 0;
        testing::internal::CaptureStdout();
    }

    void TearDown() override {
        testing::internal::GetCapturedStdout();
        Ping_Allow = 0;
        Ping_Able = 0;
        Ping_URL = String(kCheckinDefaultUrl);
        ShellFixture::TearDown();
    }

    // Lines printed since the last call (or since SetUp).
    std::vector<std::string> Printed() {
        std::stringstream out(testing::internal::GetCapturedStdout());
        testing::internal::CaptureStdout();
        std::vector<std::string> lines;
        for (std::string line; std::getline(out, line);) lines.push_back(line);
        return lines;
    }

    // Runs update frames, as the running game does, until done holds or the wait runs out.
    bool FramesUntil(const std::function<bool()>& done, std::chrono::milliseconds wait = kReplyWait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            Frame();
            std::this_thread::sleep_for(kFramePause);
        }
        return true;
    }

    void FramesFor(std::chrono::milliseconds time) {
        FramesUntil([] { return false; }, time);
    }

    bool ReplyArrived() { return FramesUntil([this] { return app->m_httpState == 1; }); }

    static String Endpoint(const LoopbackServer& server) { return String(server.Url(kEndpointPath).c_str()); }
};

TEST_F(CheckinTest, SwitchedOffStartUpOpensNoConnection) {
    LoopbackServer server(Answering({HttpReply(kOk, "OK")}));
    Ping_URL = Endpoint(server);
    app->p_OnCreate();
    FramesFor(kQuietWait);

    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(app->m_httpRequest, nullptr);
    EXPECT_EQ(Text(app->m_checkinState), "N/A");
    EXPECT_EQ(Ping_Able, 0);
    EXPECT_EQ(Count(Printed(), kMsgRequestingUrl), 0);
}

TEST_F(CheckinTest, SwitchedOnStartUpSendsTheGameNumberAndRecordsTheReply) {
    LoopbackServer server(Answering({HttpReply(kOk, "OK")}));
    Ping_Allow = 1;
    Ping_URL = Endpoint(server);
    app->p_OnCreate();

    // Start-up goes on at once; the reply is still to come.
    EXPECT_EQ(app->m_httpState, 0);
    EXPECT_EQ(Text(app->m_checkinState), "N/A");
    EXPECT_EQ(app->m_mode, kModeMenu);
    EXPECT_EQ(app->m_loadStep, 1);
    EXPECT_EQ(Ping_Able, 0);

    ASSERT_TRUE(ReplyArrived());
    std::string request;
    ASSERT_TRUE(server.WaitRequest(0, &request));
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /housecall.php?hello=1&gameID=415 HTTP/1.0");
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1\r\n"), std::string::npos) << request;
    EXPECT_EQ(server.Connections(), 1);

    EXPECT_EQ(Text(app->m_checkinState), "OK");
    EXPECT_EQ(Ping_Able, 1);
    const std::vector<std::string> lines = Printed();
    const auto sent = std::find(lines.begin(), lines.end(), kMsgRequestingUrl);
    const auto done = std::find(lines.begin(), lines.end(), CompleteLine(kHttpOk));
    EXPECT_EQ(Count(lines, kMsgRequestingUrl), 1);
    EXPECT_EQ(Count(lines, CompleteLine(kHttpOk)), 1);
    EXPECT_LT(sent, done) << "the request is announced before its completion";

    // The game object keeps the finished request through full collections.
    gc_collect_all();
    gc_collect_all();
    ASSERT_NE(app->m_httpRequest, nullptr);
    ASSERT_TRUE(Live(app->m_httpRequest));
    EXPECT_EQ(app->m_httpRequest->p_Status(), kHttpOk);
    EXPECT_EQ(Text(app->m_httpRequest->p_ResponseText()), "OK");
}

TEST_F(CheckinTest, EveryReplyIsRecordedAsItCame) {
    struct Case {
        const char* what;
        std::vector<std::string> chunks;
        ServerScript::End end;
        int ableBefore;
        int status;
        const char* body;
        int ableAfter;
    };
    const Case cases[] = {
        {"two-letter body", {HttpReply(kOk, "hi")}, ServerScript::End::Close, 0, 200, "hi", 1},
        {"empty body leaves Ping_Able unset", {HttpReply(kOk, "")}, ServerScript::End::Close, 0, 200, "", 0},
        {"empty body leaves Ping_Able set", {HttpReply(kOk, "")}, ServerScript::End::Close, 1, 200, "", 1},
        {"error status with a body", {HttpReply("HTTP/1.0 404 Not Found", "gone")}, ServerScript::End::Close, 0, 404, "gone", 1},
        {"malformed reply", {"garbage\r\n\r\n"}, ServerScript::End::Close, 0, -1, "", 0},
        {"connection reset", {}, ServerScript::End::Reset, 0, -1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer server(Answering(c.chunks, c.end));
        Ping_Able = c.ableBefore;
        app->p_GetURL(Endpoint(server), ox_checkin_Parameters());
        EXPECT_EQ(Text(app->m_checkinState), "N/A");
        ASSERT_TRUE(ReplyArrived());
        EXPECT_EQ(Text(app->m_checkinState), c.body);
        EXPECT_EQ(Ping_Able, c.ableAfter);
        const std::vector<std::string> lines = Printed();
        EXPECT_EQ(Count(lines, kMsgRequestingUrl), 1);
        EXPECT_EQ(Count(lines, CompleteLine(c.status)), 1);
    }
}

TEST_F(CheckinTest, NoServerListeningCompletesWithNoStatus) {
    String endpoint;
    {
        LoopbackServer gone(Answering({}));
        endpoint = Endpoint(gone);
    }
    app->p_GetURL(endpoint, ox_checkin_Parameters());
    ASSERT_TRUE(ReplyArrived());
    EXPECT_EQ(Text(app->m_checkinState), "");
    EXPECT_EQ(Ping_Able, 0);
    EXPECT_EQ(Count(Printed(), CompleteLine(OX_HTTP_NO_STATUS)), 1);
}

TEST_F(CheckinTest, OnlyTheLatestRequestIsRecorded) {
    LoopbackServer first(Answering({HttpReply(kOk, "old")}));
    // The second server sends its whole reply but keeps the connection open until it goes away.
    auto second = std::make_unique<LoopbackServer>(Answering({HttpReply(kOk, "new")}, ServerScript::End::Hold));
    app->p_GetURL(Endpoint(first), ox_checkin_Parameters());
    gc_register_roots(GC_ROOTS_GAME, MarkWatchedRequest);
    c_HttpRequest* replaced = gc_assign(watchedRequest, app->m_httpRequest);
    app->p_GetURL(Endpoint(*second), ox_checkin_Parameters());

    // The replaced request's completion arrives and changes nothing.
    ASSERT_TRUE(FramesUntil([&] { return Text(replaced->p_ResponseText()) == "old"; }));
    EXPECT_EQ(app->m_httpState, 0);
    EXPECT_EQ(Text(app->m_checkinState), "N/A");
    EXPECT_EQ(Ping_Able, 0);
    EXPECT_EQ(Count(Printed(), CompleteLine(kHttpOk)), 0);

    second.reset();
    ASSERT_TRUE(ReplyArrived());
    EXPECT_EQ(Text(app->m_checkinState), "new");
    EXPECT_EQ(Ping_Able, 1);
    EXPECT_EQ(Count(Printed(), CompleteLine(kHttpOk)), 1);
    gc_assign(watchedRequest, nullptr);
}

TEST_F(CheckinTest, StartUpLetsDataBuffersReadDataPaths) {
    const char kDataFile[] = "tarn://data/gfx.png";
    const auto size = std::filesystem::file_size(std::filesystem::path(QR_DATA_DIR) / "gfx.png");
    ox_databuffer_loader = ox_databuffer_LoadFile;
    EXPECT_EQ(c_DataBuffer::m_Load(String(kDataFile)), nullptr) << "a plain file read knows no data paths";

    app->p_OnCreate();
    c_DataBuffer* data = c_DataBuffer::m_Load(String(kDataFile));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(static_cast<std::uintmax_t>(data->Length()), size);
}

}  // namespace
