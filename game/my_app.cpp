// The game object's construction and tracing, the game's module globals with their
// start-up values, the difficulty and credits texts, and the game's start-up hooks.
#include "game/my_app.h"
#include "game/game_init.h"

int GameNum;
int DebugMode;
int UseHDImages;
float overscan;
int isOuya;
int iCadeControls;
int OnScreenControls;
int AccelerometerControls;
int Ping_Allow;
int Ping_Able;
int HasMusicStream;
float rawscrw, rawscrh;
float jscrw, jscrh;
Array<String> MenuSet;
Array<String> CreditText;

namespace {

constexpr int kGameNumber = 415;        // the game's catalogue number
constexpr float kDesignWidth = 640;     // virtual screen the game is designed for
constexpr float kDesignHeight = 480;
constexpr int kStartSeed = 1234;        // generator state until the clock first reseeds it

// Names and two-line descriptions of the three difficulties, in menu order.
const char* const kMenuSet[] = {
    "Easy", "Easiest mode\\nNice and Easy.",
    "Normal", "Just right!\\nTough, but not hard.",
    "Hard", "Maybe TOO hard!\\nIf you like it like that",
};

// The credits page, top to bottom.
const char* const kCreditText[] = {
    "",
    "A Game by",
    "@QuadrantRushTeam",
    "quadrantrush.example",
    "",
    "-=-=-",
    "",
    "Developed using",
    "the Tarn runtime",
    "tarn.quadrantrush.example",
    "",
    "-=-=-",
    "",
    "Graphics",
    "",
    "Most graphics by",
    "The Quadrant Rush Team",
    "",
    "Font : DejaVu",
    "by the DejaVu fonts team",
    "Lowercase added by",
    "The Quadrant Rush Team",
    "",
    "",
    "-=-=-",
    "",
    "Audio",
    "",
    "Sound and Music by",
    "The Quadrant Rush Team",
    "using our asset generator,",
    "libvorbis,",
    "stb_vorbis,",
    "OpenAL Soft",
    "or whatever else",
    "was handy!",
    "",
    "-=-=-",
    "",
    "",
    "Hello to",
    "The Runtime Engineer",
    "",
    "Thanks to",
    "The Lead",
    "The Host Engineer",
    "The Renderer Engineer",
    "The Input Engineer",
    "The Audio Engineer",
    "The Network Engineer",
    "The Asset Engineer",
    "The Lead",
    "And everyone Else",
    "at quadrantrush.example/community",
    "",
    "-=-=-",
    "End",
};

constexpr int kMenuSetLines = sizeof(kMenuSet) / sizeof(kMenuSet[0]);
constexpr int kCreditLines = sizeof(kCreditText) / sizeof(kCreditText[0]);
static_assert(kMenuSetLines == 6, "three difficulties, a name and a description each");
static_assert(kCreditLines == 57, "the credits page has 57 lines");

Array<String> textTable(const char* const* lines, int count) {
    Array<String> table(count);
    for (int i = 0; i < count; ++i) table[i] = String(lines[i]);
    return table;
}

// The game's roots: its two string tables.
void markGameRoots() {
    gc_mark_q(MenuSet);
    gc_mark_q(CreditText);
}

}  // namespace

int ox_game_Init() {
    GameNum = kGameNumber;
    DebugMode = 0;
    UseHDImages = 1;
    overscan = 0;
    isOuya = 0;
    iCadeControls = 0;
    OnScreenControls = 0;
    AccelerometerControls = 0;
    Ping_Allow = 0;
    Ping_Able = 0;
    HasMusicStream = 1;
    rawscrw = kDesignWidth;
    rawscrh = kDesignHeight;
    jscrw = kDesignWidth;
    jscrh = kDesignHeight;
    ox_random_Seed = kStartSeed;
    gc_register_roots(GC_ROOTS_GAME, markGameRoots);
    gc_assign(MenuSet, textTable(kMenuSet, kMenuSetLines));
    gc_assign(CreditText, textTable(kCreditText, kCreditLines));
    return 0;
}

int ox_game_Main() {
    (new c_MyApp)->m_new();
    return 0;
}

void ox_game_Register() {
    ox_register_init(OX_LAYER_GAME, ox_game_Init);
    ox_set_main(ox_game_Main);
}

// Registered as soon as the game is linked in; the program also calls ox_game_Register, so the
// hooks are in place even when nothing else pulls this file into the program.
[[maybe_unused]] static const bool gameHooksRegistered = [] {
    ox_game_Register();
    return true;
}();

c_MyApp::c_MyApp() {
    using S = MyAppSizes;
    m_checkinState = String("N/A");
    gc_assign(m_drawList, Array<float>(S::kDrawList));
    gc_assign(m_images, Array<c_Image*>(S::kImages));
    gc_assign(m_imgInfo, Array<int>(S::kImgInfo));
    gc_assign(m_sounds, Array<c_Sound*>(S::kSounds));
    gc_assign(m_sfxChannels, Array<int>(S::kSfxChannels));
    for (int i = 0; i < S::kSfxChannels; ++i) m_sfxChannels[i] = i;
    gc_assign(m_vkeys, Array<int>(S::kVkeys));
    gc_assign(m_touchOn, Array<int>(S::kTouchSlots));
    gc_assign(m_touchX, Array<int>(S::kTouchSlots));
    gc_assign(m_touchY, Array<int>(S::kTouchSlots));
    gc_assign(m_grid, Array<float>(S::kGrid));
    gc_assign(m_player, Array<float>(S::kPlayer));
    gc_assign(m_bag, Array<int>(S::kBag));
    gc_assign(m_stars, Array<float>(S::kRecords));
    gc_assign(m_particles, Array<float>(S::kRecords));
    gc_assign(m_objs, Array<float>(S::kRecords));
    gc_assign(m_hiscores, Array<int>(S::kHiscores));
    gc_assign(m_options, Array<int>(S::kOptions));
    gc_assign(m_spiroTrail, Array<float>(S::kSpiroTrail));
    gc_assign(m_badges, Array<bool>(S::kBadges));
    gc_assign(m_badgeShown, Array<int>(S::kBadgeSlots));
    gc_assign(m_badgeTimer, Array<int>(S::kBadgeSlots));
}

c_MyApp* c_MyApp::m_new() {
    c_App::m_new();
    return this;
}

void c_MyApp::mark() {
    c_App::mark();
    gc_mark_q(m_drawList);
    gc_mark_q(m_images);
    gc_mark_q(m_imgInfo);
    gc_mark_q(m_sounds);
    gc_mark_q(m_sfxChannels);
    gc_mark_q(m_vkeys);
    gc_mark_q(m_touchOn);
    gc_mark_q(m_touchX);
    gc_mark_q(m_touchY);
    gc_mark_q(m_grid);
    gc_mark_q(m_player);
    gc_mark_q(m_bag);
    gc_mark_q(m_stars);
    gc_mark_q(m_particles);
    gc_mark_q(m_objs);
    gc_mark_q(m_hiscores);
    gc_mark_q(m_options);
    gc_mark_q(m_spiroTrail);
    gc_mark_q(m_badges);
    gc_mark_q(m_badgeShown);
    gc_mark_q(m_badgeTimer);
    gc_mark_q(m_httpRequest);
}
