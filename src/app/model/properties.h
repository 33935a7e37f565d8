// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Property numbers of the unit kinds. 0 to 7 are common to every visual kind.
namespace tessary::prop {

inline constexpr int kLeft = 0;
inline constexpr int kTop = 1;
inline constexpr int kWidth = 2;
inline constexpr int kHeight = 3;
inline constexpr int kTag = 4;
inline constexpr int kVisible = 5;
inline constexpr int kDisabled = 6;
inline constexpr int kMousePointer = 7;

// Position and size writes are clamped to this, not to 32767.
inline constexpr int kCoordinateLimit = 32627;

namespace window {
inline constexpr int kCaption = 8, kBorderStyle = 9, kBackColour = 10, kBackPicture = 11,
                     kBackPictureMode = 12;
}
namespace button {
inline constexpr int kPicture = 8, kType = 9, kCaption = 10, kHAlign = 11, kVAlign = 12, kFont = 13,
                     kChecked = 14;
// kType: 0 push button, 1 default push button, 2 toggle (stays pressed, kChecked, until clicked again).
}  // namespace button
namespace groupbox {
inline constexpr int kCaption = 8, kCaptionAlign = 9, kCaptionColour = 10, kBackColour = 11, kFont = 12;
}
namespace label {
inline constexpr int kCaption = 8, kBorder = 10, kFont = 15, kTextColour = 16, kBackColour = 17,
                     kBackPicture = 18, kBackPictureMode = 19;
}
namespace editbox {
inline constexpr int kContent = 8, kBorder = 9, kTextColour = 10, kBackColour = 11, kFont = 12,
                     kHideSelection = 13, kMaxLength = 14, kMultiLine = 15, kScrollBars = 16, kAlignment = 17,
                     kInputMode = 18, kPasswordChar = 19, kCaseConversion = 20;
}
namespace combobox {
inline constexpr int kType = 8, kText = 9, kMaxTextLength = 10, kSorted = 14, kTextColour = 16,
                     kBackColour = 17, kFont = 18, kSelection = 19, kItems = 20;
}
namespace slider {
inline constexpr int kBorder = 8, kVertical = 9, kTickMarks = 10, kTickFrequency = 11, kSelectionShown = 12,
                     kSelectionStart = 13, kSelectionLength = 14, kPageSize = 15, kLineSize = 16,
                     kMinimum = 17, kMaximum = 18, kPosition = 19;
}
namespace picbox {
inline constexpr int kBorder = 8, kBackColour = 9, kPicture = 10, kDisplayMode = 11;
}
namespace drawpanel {
inline constexpr int kBorder = 8, kBackColour = 9, kBackPicture = 10, kBackPictureMode = 11, kAutoRedraw = 12,
                     kPenType = 14, kDrawMode = 15, kPenWidth = 16, kPenColour = 17, kBrushType = 18,
                     kBrushColour = 19, kTextColour = 20, kTextBackColour = 21, kFont = 22;
}
namespace serial {
inline constexpr int kPortNumber = 8, kBaudRate = 9, kDataBits = 10, kStopBits = 11, kParityCheck = 12,
                     kEventChar = 13, kTimeout = 14, kOpenOnCreate = 15, kParity = 16, kFlowControl = 17,
                     kRtsControl = 18, kDtrControl = 19;
}
namespace droptarget {
inline constexpr int kAcceptText = 8, kAcceptHtml = 9, kAcceptUrls = 10, kAcceptFiles = 11;
}

}  // namespace tessary::prop
