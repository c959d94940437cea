// The control identifiers of the main dialog's template (res/templates/dialog-102.json).
#pragma once

namespace orvane::gui {

constexpr int kFileNameBox = 1001;
constexpr int kToAsciiButton = 1002;  // first of the direction group
constexpr int kFromAsciiButton = 1003;
constexpr int kHeadersButton = 1004;  // first of the format group
constexpr int kNoHeadersButton = 1005;
constexpr int kProgressBar = 1006;
constexpr int kConvertButton = 1008;
constexpr int kStatusLine = 1010;
constexpr int kGetPowerButton = 1011;
constexpr int kSetPowerButton = 1012;
constexpr int kPowerBox = 1013;
constexpr int kBrowseButton = 1014;

constexpr int kDirectionGroup = kToAsciiButton;
constexpr int kFormatGroup = kHeadersButton;

}  // namespace orvane::gui
