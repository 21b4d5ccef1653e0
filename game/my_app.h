// The game object c_MyApp: every field of the game and its shell, the game's
// module globals, and the declarations of every game and shell method.
#pragma once

#include "runtime/runtime.h"
#include "framework/app.h"
#include "framework/graphics.h"
#include "framework/audio.h"
#include "game/rules.h"
#include "net/http_request.h"

// ---------------------------------------------------------------------------
// Module globals of the game, set by the game's start-up hook (oxInit).
// ---------------------------------------------------------------------------
extern int GameNum;               // catalogue number sent by the check-in
extern int DebugMode;             // 1 shows debug overlays; toggled by F1, never stored
extern int UseHDImages;           // allows the 2x and 4x image sets
extern float overscan;            // device pixels kept clear on each side
extern int isOuya;                // console profile: other key mappings
extern int iCadeControls;         // iCade letter codes drive the game
extern int OnScreenControls;      // on-screen direction pad (nothing turns it on)
extern int AccelerometerControls; // tilt control (nothing turns it on)
extern int Ping_Allow;            // the online check-in may run
extern int Ping_Able;             // the check-in got a reply
extern int HasMusicStream;        // tunes can play, pause and resume
extern float rawscrw, rawscrh;    // design size of the virtual screen
extern float jscrw, jscrh;        // current virtual screen size, refitted every render
extern Array<String> MenuSet;     // difficulty names and descriptions, 6 entries
extern Array<String> CreditText;  // lines of the credits page, 57 entries

// The one random generator of the game: a 32-bit linear congruential state.
extern int ox_random_Seed;
float ox_random_Rnd();                       // [0, 1), one generator step
float ox_random_Rnd2(float low, float high); // [low, high), one step
float ox_random_Rnd3(float range);           // [0, range), one step

// Sizes of the game object's arrays.
struct MyAppSizes {
    static constexpr int kDrawRecordFloats = 15;                 // floats per draw record
    static constexpr int kDrawRecords = 2500;                    // draw records per frame
    static constexpr int kDrawList = kDrawRecordFloats * kDrawRecords;
    static constexpr int kImages = 100;                          // image slots
    static constexpr int kImgInfo = 3 * kImages;                 // width, height, frames per slot
    static constexpr int kSounds = 100;                          // sound-effect slots
    static constexpr int kSfxChannels = 33;                      // channel table, 32 effects + music
    static constexpr int kVkeys = 20;                            // virtual key entries
    static constexpr int kTouchSlots = 10;                       // pointer slots
    static constexpr int kCellFloats = 10;                       // floats per board cell record
    static constexpr int kBoardSide = 10;                        // records per board row, and the widest board
    static constexpr int kGrid = kCellFloats * kBoardSide * kBoardSide; // cells x + 10*y, x, y < 10
    static constexpr int kPlayer = 512;                          // the player record
    static constexpr int kPlayerReset = 500;                     // floats cleared when a game starts
    static constexpr int kBag = 100;                             // bag slots (1..21 used)
    static constexpr int kRecords = 5100;                        // stars, particles and objs
    static constexpr int kHiscores = 150;                        // highscore table
    static constexpr int kOptions = 25;                          // stored settings
    static constexpr int kBadges = 256;                          // badge flags
    static constexpr int kBadgeSlots = 15;                       // notification slots
    static constexpr int kSpiroTrail = 512;                      // pause figure trail floats
};

// The game object is also the check-in request's callback.
class c_MyApp : public c_App, public virtual c_IOnHttpRequestComplete {
public:
    // --- Mode and flow ---
    int m_mode = 0;          // the screen mode: one of the kMode values of game_numbers.h
    int m_loadStep = 0;      // next asset-loader stage while > 0
    int m_paused = 0;        // 1 while the pause menu is open
    float m_panelX = 0;      // extra width of the menu's side panel
    int m_difficulty = 2;    // 1 Easy, 2 Normal, 3 Hard
    int m_hideHud = 0;       // F2 hides bars and counters
    int m_musicPlaying = 0;  // 1 while a tune plays
    String m_tuneName;       // tune now playing
    String m_checkinState;   // body of the last check-in reply, "N/A" before one
    c_HttpRequest* m_httpRequest = nullptr;  // the check-in in flight or last made
    int m_httpState = 0;     // 0 from sending the check-in, 1 once its completion has arrived

    // --- Screen fitting and frame measurement ---
    int m_devW = 0, m_devH = 0;
    float m_scaleX = 0, m_scaleY = 0;
    int m_fitMode = 0;
    int m_landscape = 0;
    int m_updateMs = 0, m_updateFps = 0, m_updateFpsAvg = 0;
    int m_renderMs = 0, m_renderFps = 0, m_renderFpsAvg = 0;
    int m_imgRes = 0;
    float m_imgScale = 0;

    // --- Drawing ---
    Array<float> m_drawList; // 2500 records of 15 floats, layout in draw.cpp
    int m_drawCount = 0;     // floats in use this frame
    float m_drawScaleX = 0, m_drawScaleY = 0, m_drawRot = 0;
    float m_drawR = 0, m_drawG = 0, m_drawB = 0, m_drawAlpha = 0;
    int m_drawBlend = 0;
    float m_clsR = 0, m_clsG = 0, m_clsB = 0, m_clsA = 0;
    float m_viewX = 0, m_viewY = 0, m_viewW = 0, m_viewH = 0;
    Array<c_Image*> m_images;
    Array<int> m_imgInfo;
    Array<c_Sound*> m_sounds;
    int m_fontSlot = 0;
    Array<int> m_sfxChannels;
    int m_sfxSlot = 0;
    float m_bgTargetR = 0, m_bgTargetG = 0, m_bgTargetB = 0;
    float m_bgR = 0, m_bgG = 0, m_bgB = 0;

    // --- Input ---
    Array<int> m_vkeys;
    int m_mouseX = 0, m_mouseY = 0;
    int m_lastMouseX = 0, m_lastMouseY = 0;
    int m_wasDown = 0;
    int m_pointerDown = 0;
    int m_mouseHit = 0;
    Array<int> m_touchOn, m_touchX, m_touchY;
    int m_touchUsed = 0;
    int m_keyLatch = 0;
    int m_controlScheme = 0;
    float m_stickX = 0, m_stickY = 0;
    float m_keyStickX = 0, m_keyStickY = 0;

    // --- Game ---
    int m_gridW = 0, m_gridH = 0;
    Array<float> m_grid;     // cell (x, y) is the 10-float record x + 10*y
    Array<float> m_player;
    int m_score = 0;
    int m_shownScore = 0;
    int m_settled = 0;
    int m_dropping = 0;
    int m_timeUp = 0;
    int m_barH = 0;
    Array<int> m_bag;
    int m_bagPos = 0;
    float m_camX = 0, m_camTargetX = 0, m_camY = 0, m_camTargetY = 0;
    int m_overStep = 0;
    int m_quitting = 0;
    Array<float> m_stars;
    int m_starCount = 0;
    Array<float> m_particles;
    int m_maxParticles = 250;
    Array<float> m_objs;
    Array<int> m_hiscores;
    Array<int> m_options;

    // --- Scratch fields shared by the game methods ---
    int m_n = 0, m_i = 0;
    int m_x = 0, m_y = 0;
    float m_tx = 0, m_ty = 0;
    float m_tf = 0;
    int m_cellA = 0, m_cellB = 0, m_cellC = 0;

    // --- Shell: start-up and loading ---
    int m_jinglePlayed = 0;  // start-up sound played once per run
    int m_loadSpin = 0;      // Loading-screen spinner angle
    int m_fullscreen = 0;    // 1 = full-screen display
    int m_reserveCount = 0;  // blank images reserved so far

    // --- Shell: main menu ---
    int m_menuChoice = 1;
    int m_menuFocus = 1;
    float m_wheelTarget = -32;
    float m_wheelPos = 0;
    float m_wheelVel = 0;
    int m_wheelTapped = 0;
    int m_dragX = 0, m_dragY = 0;
    float m_gearAngle = 0;
    int m_menuIntro = -32;
    int m_optionsOpen = 0;
    int m_creditsOpen = 0;
    float m_creditScroll = 0;
    int m_creditTop = 0;
    int m_tapDelay = 0;      // menu countdown, lowered by the dispatcher while above 0

    // --- Shell: options box ---
    int m_optSlide = 0;
    int m_optKeyLatch = 0;
    int m_optTouchLatch = 0;
    int m_optSel = 0;

    // --- Shell: pause menu ---
    int m_pauseState = -1;
    int m_pauseY = -64;
    int m_pauseSel = 0;
    float m_spiroA = 0, m_spiroB = 0;
    float m_spiroSpeed = 25;
    float m_spiroArm = 25;
    float m_spiroHue = 0;
    Array<float> m_spiroTrail;

    // --- Shell: storage and badges ---
    Array<bool> m_badges;
    Array<int> m_badgeShown;
    Array<int> m_badgeTimer;
    int m_badgeW = 160;      // notification width
    int m_buttonHit = 0;     // last p_Button result

    c_MyApp();
    c_MyApp* m_new();
    void mark() override;

    // Framework callbacks.
    int p_OnCreate() override;   // loader.cpp
    int p_OnSuspend() override;  // loader.cpp
    int p_OnResume() override;   // loader.cpp
    int p_OnUpdate() override;   // dispatch.cpp
    int p_OnRender() override;   // dispatch.cpp

    // Tile bag and random numbers (random.cpp).
    int p_Rand(float lo, float hi);
    int p_SeedRnd(int seed);
    int p_NewBag();
    int p_GetTile();

    // Board rules (board.cpp).
    int p_Fresh();
    int p_Swap(int x, int y, int dx, int dy);
    int p_ResetGrid();
    int p_ResetPlayers();
    int p_ResetObj();

    // Game over, ranking and score display (gameover.cpp).
    int p_ScoreDisplay();
    int p_GameOver();
    String p_MyNth();
    String p_Nth(int n);
    String p_rstr(int value, int width, String pad);

    // Particles and star field (particles.cpp).
    int p_FreeParticle();
    int p_AddParticle(int kind, float x, float y, float vx, float vy, int value, int colour, int life);
    int p_GimmeNot(int value, float x, float y);
    int p_ThrowParticle(float x, float y, int kind, int colour, float angle, float speed);
    int p_DoParticles(float scale);
    int p_ResetParticles(int n);
    int p_DoStars(float dx, float dy);
    int p_ResetStars(int n);

    // Frame dispatcher and controls (dispatch.cpp).
    int p_PlayKey(int key, int mode, int player);
    int p_PlayKeyAll(int key, int mode);
    // The key held by the keyboard or any pad, sticks included: what the menus read.
    bool p_AnyHeld(int key) { return p_PlayKeyAll(key, kKeyModeStick) > 0; }
    int p_AnalogueControl();
    float p_StickX(int axis, int player);
    float p_StickY(int axis, int player);
    int p_iCade(int on);

    // Drawing and sound helpers (draw.cpp).
    int p_DrawImg(int image, float x, float y, float frame);
    int p_Rect(float x, float y, float w, float h);
    int p_Oval(float x, float y, float rx, float ry);
    int p_Line(float x1, float y1, float x2, float y2);
    int p_SetSize(float sx, float sy = kNotGiven);
    int p_SetRot(float angle);
    int p_SetCol(float r, float g, float b, float a = kNotGiven);
    int p_Alpha(float a);
    int p_Ink(int n, float bright = 1.0f);
    int p_ResetDraw();
    int p_CLS2D(float r, float g, float b, float a);
    int p_DoBG(int r, int g, int b, float a);
    int p_Text(float x, float y, String text, float alignX = 0, float alignY = 0, int font = 0);
    float p_TextAdvance(String text);
    int p_PlaySFX(int n, float rate = 1.0f, float volume = 1.0f, float pan = 0.0f);
    int p_LoadSFX(int n);
    int p_PlayTune(String name, int flags);
    int p_StopTune();

    // Timer, scoring and game flow (flow.cpp).
    int p_Game();
    int p_LoadGame();
    int p_InGame();

    // Start-up and asset loading (loader.cpp).
    int p_Reload();
    int p_Loader();
    int p_WaitStart(int spinner);
    int p_LoadImg(int slot, String name, int cellWidth, int cellHeight, int frames, int flags);
    int p_LoadFont(int slot, String name, int glyphWidth, int glyphHeight);
    int p_ReserveImg(int slot, int width, int height);
    int p_BankLoad();
    int p_FullscreenFlip();

    // Main menu (menu.cpp), options box (options.cpp), pause menu and quit prompt (pause.cpp).
    int p_Menu();
    int p_OptionBox();
    int p_PauseMenu();
    int p_OuyaQuit();

    // Settings, badge and highscore storage (storage.cpp).
    int p_Save();
    int p_Load();
    int p_LoadMenu();

    // Badges (badges.cpp).
    String p_BadgeID(int n);
    String p_BadgeName(int n);
    String p_BadgeDetail(int n);
    int p_ShowBadges();
    int p_GC_PostScore(int score, int board);
    int p_GC_Badges();

    // Buttons and pointer hit tests (buttons.cpp).
    int p_MouseIn(float x, float y, float w, float h);
    int p_MouseIn_Centered(float cx, float cy, float w, float h);
    int p_MouseIn_Radius(float cx, float cy, float w, float h);
    int p_Touch(float x, float y, float w, float h);
    int p_Button(int slot, float x, float y, int frame);
    int p_Button0(int slot, float x, float y, int frame);

    // Online check-in (checkin.cpp).
    int p_GetURL(String url, String parameters);
    int p_OnHttpRequestComplete(c_HttpRequest* request) override;

private:
    // One board frame of play (board.cpp): layout, cells, cursor and controls.
    // Returns the cleared-count of the frame; sets *allFallen.
    int p_BoardFrame(int* allFallen);
    void p_BoardControls();
    bool p_CellOpen(int x, int y);
    void p_ClearTile(int record, float px, float py);
    // Opens the pause menu (flow.cpp).
    void p_OpenPause();
    // Pieces of the update and render (dispatch.cpp).
    static void p_MeasureRate(int now, int* lastMs, int* fps, int* fpsAvg);
    void p_ReadPointer();
    void p_DecodeICade();
    void p_RunMode();
    void p_FitScreen(int width, int height);
    int p_ReplayDrawList(float width, float height);

    // Steps of the main menu's frame (menu.cpp), in the order p_Menu runs them.
    struct MenuLayout;
    struct MenuPanelPress;
    struct MenuArrows;
    void p_MenuBackground();
    MenuLayout p_MenuSlideIn();
    void p_MenuQuitKeys();
    void p_MenuLogo(const MenuLayout& at);
    MenuPanelPress p_MenuPanel(const MenuLayout& at);
    bool p_MenuPlayIcon(const MenuLayout& at, bool onPanel);
    void p_MenuScoreLists(const MenuLayout& at);
    void p_MenuTurnWheel();
    void p_MenuGear(const MenuLayout& at);
    void p_MenuDragWheel(const MenuLayout& at);
    bool p_MenuWheelItems(const MenuLayout& at);
    bool p_MenuWheelItem(const MenuLayout& at, int i, bool settled);
    MenuArrows p_MenuKeyRepeat();
    bool p_MenuPlayerKeys(const MenuLayout& at, const MenuArrows& arrows);
    void p_MenuApplyChoice(bool confirm);
    void p_MenuMakerLogo(const MenuLayout& at);
    void p_MenuCredits(const MenuLayout& at);
    void p_MenuCreditLines(float shift);
    void p_MenuCreditStats(float shift);
    void p_MenuCreditCircles(float shift);

    // Steps of the pause menu's frame (pause.cpp), in the order p_PauseMenu runs them, and
    // its two actions.
    void p_PauseResume();
    void p_PauseQuit();
    void p_PauseDarken();
    void p_PauseSlide();
    void p_PauseFigure();
    void p_PauseTuneFigure(float R);
    void p_PauseTrail(float penX, float penY);
    void p_PauseTitle();
    void p_PauseOverscan();
    void p_PauseButtons();
    void p_PauseKeySelect();
    void p_PauseResumeKey();

    // Steps of the options box's frame (options.cpp), in the order p_OptionBox runs them,
    // and its closing.
    struct OptionGear;
    void p_OptionClose();
    void p_OptionCornerMarks();
    void p_OptionBlockInput();
    float p_OptionPanel();
    OptionGear p_OptionBackGear();
    void p_OptionCloseByGear(bool gearHit);
    void p_OptionOverscan(float slideX);
    // The console's overscan slider as the options box and the pause menu both show it: its
    // bar and knob centred on centreX, and the shoulder buttons stepping it (each step taken
    // once per press through `latch`), clamped and applied to the screen margin.
    void p_OverscanSlider(float centreX, float barY, float knobY);
    void p_OverscanShoulders(int& latch);
    int p_OptionLines(float rise);
    bool p_OptionLineTapped(int n, float tapX, float y, float tapW);
    void p_OptionLineText(const String& text, float x, float y);
    void p_OptionKeys(int count);
    void p_OptionReleaseLatches();
};
