#pragma once
// The second program of the clipboard's round trip under Wayland.

namespace vkttest {

// The rich text each side puts on the clipboard.
inline constexpr char kTestRtf[] = "{\\rtf1\\ansi\\ansicpg932 {\\b \\'8b\\'8d} 250g\\par}";
inline constexpr char kHelperRtf[] = "{\\rtf1\\ansi\\ansicpg932 \\'8f\\'ac\\'94\\'9e 5ml\\par}";

// Shows a window, waits for the clipboard's text/rtf and prints it as "READ <hex>", then "READY";
// on a key puts kHelperRtf on the clipboard and prints "SET", hides its window (the compositor's
// focus goes back to the window below) and serves the clipboard until its standard input closes.
int ClipboardHelper();

} // namespace vkttest
