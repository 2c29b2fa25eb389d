// Control identifiers of the main window, shared with the tests that drive it from outside.
#pragma once

// Command1 and Command3 carry the dialog-manager identifiers, so that Enter and Esc
// reach them through the platform's own keyboard handling.
inline constexpr int kText1Id = 1000;
inline constexpr int kCommand1Id = 1;  // IDOK: "&get mac adrs", the default button
inline constexpr int kCommand2Id = 1002;
inline constexpr int kCommand3Id = 2;  // IDCANCEL: "&end", the cancel button
inline constexpr int kCommand4Id = 1004;
inline constexpr int kCommand5Id = 1005;
