#pragma once
// Picture files built in memory for the tests.
#include <functional>
#include <string>

namespace vkttest {

// A minimal enhanced metafile: the header record (frame in hundredths of a millimetre) and EOF.
std::string MakeEmf(int frameRight, int frameBottom);

} // namespace vkttest

namespace vkttest {

// An enhanced metafile written record by record, in logical units equal to pixels at 96 dpi.
class EmfBuilder {
public:
    // A picture of width × height pixels (the header's bounds and frame agree at 96 dpi).
    EmfBuilder(int width, int height);
    // Colours as 0xRRGGBB.
    EmfBuilder& Rectangle(int left, int top, int right, int bottom, unsigned fill);
    EmfBuilder& Ellipse(int left, int top, int right, int bottom, unsigned fill);
    // A rectangle filled with a hatch (HS_ code) of that colour on the default white background.
    EmfBuilder& Hatch(int left, int top, int right, int bottom, unsigned hatch, unsigned colour);
    // A line of text (UTF-8) at (x, y), its cell `height` pixels high. A face name is written in
    // its 32 characters; a longer one runs on into the record's later fields, as a hostile file's may.
    EmfBuilder& Text(int x, int y, int height, const std::string& text, unsigned colour,
                     const std::string& face = "Noto Sans CJK JP");
    // A bitmap of one colour stretched over (left, top)–(right, bottom), as a device-independent bitmap.
    EmfBuilder& Bitmap(int left, int top, int right, int bottom, unsigned colour);
    // Extra bytes as one record of `type` (for damaged pictures).
    EmfBuilder& Raw(unsigned type, const std::string& payload);
    // The file: header, records, end of file.
    std::string Bytes() const;

private:
    void Record(unsigned type, const std::string& payload);
    void SelectBrush(unsigned fill, unsigned style = 0, unsigned hatch = 0);

    int width_;
    int height_;
    std::string records_;
    int recordCount_ = 0;
    int handles_ = 1;
};

// The build tree's metafile player, which the test programs play pictures with (TestEnvironment
// points the program at it).
std::string BuildPlayer();
// A player that waits `seconds`, then plays as the build tree's does: a script in a temporary
// folder of its own; `then` is run after it instead, when given (a shell command).
std::string ScriptPlayer(double seconds, const std::string& then = {});

// Points the program at a player while it lives, then back at the build tree's.
class PlayerInUse {
public:
    explicit PlayerInUse(const std::string& player);
    ~PlayerInUse();
    PlayerInUse(const PlayerInUse&) = delete;
    PlayerInUse& operator=(const PlayerInUse&) = delete;
};

// Lets events through until no picture of the program is playing or waiting for its screen
// pixels, and every notice of theirs has been delivered (at most `seconds`); false when pictures
// still play then.
bool WaitForPlayers(double seconds = 20);

// The longest the event loop went without answering a 10 ms timer, in milliseconds, while `until`
// (asked after each turn, the first time before any) is false (at most 20 s); its first answer and
// the last stretch included.
double LongestUnanswered(const std::function<bool()>& until);

// 200 × 140 pixels: a red (0xE01010) rectangle at (10, 10)–(90, 90), a blue (0x1030D0) ellipse at
// (110, 10)–(190, 90) and a line of Japanese text in black at (10, 100), 30 pixels high.
std::string KitchenEmf();

} // namespace vkttest
