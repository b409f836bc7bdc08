#pragma once
// Where the main window and its panes start out, from the primary screen's size.
// Integer arithmetic throughout: the numbers must come out exactly as the layout
// was designed on 1920 x 1080 and 1366 x 768 screens.

namespace tesmira {

struct MainGeometry {
    // The window as first created: a fifth of the width in from the left, a tenth
    // of the height down, reaching to 8/10 of the width and 9/10 of the height.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // Initial pane sizes.
    int instrumentHeight = 0;  // the strip along the bottom
    int upperIdealHeight = 0;  // everything above that strip
    int filmViewWidth = 0;     // three quarters of the width
    int mapHeight = 0;         // upper part of the right column
    int listHeight = 0;        // lower part of the right column
    // The window once initialised: 6/10 of the width, 8/10 of the height.
    int shownWidth = 0;
    int shownHeight = 0;
};

inline constexpr int kInstrumentStripHeight = 165;
inline constexpr int kSplitterBar = 10;
// The smallest panes whose controls still stand clear of each other: the strip's
// chart keeps 150 pixels beside the two dials, the map a little below its band.
inline constexpr int kInstrumentMinWidth = 608;
inline constexpr int kInstrumentMinHeight = 151;
inline constexpr int kMapMinWidth = 160;
inline constexpr int kMapMinHeight = 100;
inline constexpr int kListMinWidth = 160;
inline constexpr int kListMinHeight = 80;

MainGeometry ComputeMainGeometry(int screenWidth, int screenHeight);

}  // namespace tesmira
