// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The units of each window by role. The values are the units' names in the window definitions, which keep the
// original forms' names; everything else, handlers and tests alike, names a unit by its role here.
namespace tessary {

namespace main_window {
inline constexpr char kLogGroup[] = "分组框1";
inline constexpr char kPreviewGroup[] = "分组框2";
inline constexpr char kLocationGroup[] = "分组框3";
inline constexpr char kMovementGroup[] = "分组框4";
inline constexpr char kCarveRateGroup[] = "分组框5";
inline constexpr char kImageEditingGroup[] = "分组框6";
inline constexpr char kPreview[] = "图片框1";
inline constexpr char kDropTarget[] = "拖放对象1";
inline constexpr char kJogUp[] = "按钮上";
inline constexpr char kJogDown[] = "按钮下";
inline constexpr char kJogLeft[] = "按钮左";
inline constexpr char kJogRight[] = "按钮右";
inline constexpr char kToMiddle[] = "按钮中心";
inline constexpr char kToLowerLeft[] = "按钮点定位";
inline constexpr char kFrameCarvingArea[] = "按钮框定位";
inline constexpr char kUploadImage[] = "按钮发送数据";
inline constexpr char kStart[] = "按钮开始";
inline constexpr char kPause[] = "按钮暂停";
inline constexpr char kRestart[] = "按钮重启";
inline constexpr char kRecarve[] = "按钮复位";
inline constexpr char kFastForward[] = "按钮快进";
inline constexpr char kFastBackward[] = "按钮快退";
inline constexpr char kZoomIn[] = "按钮放大";
inline constexpr char kZoomOut[] = "按钮缩小";
inline constexpr char kRotate[] = "按钮旋转";
inline constexpr char kReload[] = "按钮重载";
inline constexpr char kConnect[] = "按钮连接";
inline constexpr char kDisconnect[] = "按钮断开";
inline constexpr char kSetting[] = "按钮高级";
inline constexpr char kBurningTime[] = "滑块条1";
inline constexpr char kBurningTimeLabel[] = "滑块标签";
inline constexpr char kCanvas[] = "画板1";
inline constexpr char kVerticalRuler[] = "画板2";
inline constexpr char kHorizontalRuler[] = "画板3";
inline constexpr char kPort[] = "端口1";
inline constexpr char kComList[] = "组合框1";
inline constexpr char kLog[] = "编辑框1";
}  // namespace main_window

namespace setting_window {
inline constexpr char kPicture[] = "图片框1";
inline constexpr char kVersion[] = "按钮2";
inline constexpr char kStepPulseLabel[] = "标签2";
inline constexpr char kStepPulse[] = "编辑框1";
inline constexpr char kSave[] = "按钮1";
}  // namespace setting_window

namespace picture_options_window {
inline constexpr char kConversion[] = "组合框转换";
inline constexpr char kConversionLabel[] = "标签转换";
inline constexpr char kThreshold[] = "滑块阈值";
inline constexpr char kThresholdLabel[] = "标签阈值";
inline constexpr char kHalftoneCell[] = "滑块网格";
inline constexpr char kHalftoneCellLabel[] = "标签网格";
inline constexpr char kHalftoneAngle[] = "滑块角度";
inline constexpr char kHalftoneAngleLabel[] = "标签角度";
inline constexpr char kBrightness[] = "滑块亮度";
inline constexpr char kBrightnessLabel[] = "标签亮度";
inline constexpr char kContrast[] = "滑块对比度";
inline constexpr char kContrastLabel[] = "标签对比度";
inline constexpr char kGamma[] = "滑块伽马";
inline constexpr char kGammaLabel[] = "标签伽马";
inline constexpr char kSharpen[] = "滑块锐化";
inline constexpr char kSharpenLabel[] = "标签锐化";
inline constexpr char kSize[] = "滑块尺寸";
inline constexpr char kSizeLabel[] = "标签尺寸";
inline constexpr char kFill[] = "按钮填满";
inline constexpr char kInvert[] = "按钮反相";
inline constexpr char kAutoLevel[] = "按钮自动色阶";
inline constexpr char kMirror[] = "按钮镜像";
inline constexpr char kDefaults[] = "按钮默认";
}  // namespace picture_options_window

namespace text_window {
inline constexpr char kText[] = "textBox";
inline constexpr char kFont[] = "fontList";
inline constexpr char kSize[] = "sizeBox";
inline constexpr char kStyle[] = "styleList";          // Regular, Bold, Italic, Bold italic
inline constexpr char kAlignment[] = "alignmentList";  // Left, Centre, Right
inline constexpr char kFillWidth[] = "fillWidthButton";
inline constexpr char kStatus[] = "statusLabel";  // what the text needs in the field
inline constexpr char kPreview[] = "previewBox";
inline constexpr char kOk[] = "okButton";
inline constexpr char kCancel[] = "cancelButton";
}  // namespace text_window

namespace layout_window {
inline constexpr char kItems[] = "itemList";      // the items, back to front; the chosen one is edited
inline constexpr char kContent[] = "contentBox";  // the text or web address Add text and Add QR code take
inline constexpr char kAddPicture[] = "addPictureButton";
inline constexpr char kAddText[] = "addTextButton";
inline constexpr char kAddCode[] = "addCodeButton";
inline constexpr char kRemove[] = "removeButton";
inline constexpr char kX[] = "xBox";
inline constexpr char kY[] = "yBox";
inline constexpr char kWidth[] = "widthBox";
inline constexpr char kHeight[] = "heightBox";
inline constexpr char kTurn[] = "turnList";  // 0°, 90°, 180°, 270° clockwise
inline constexpr char kStatus[] = "statusLabel";
inline constexpr char kPreview[] = "previewBox";  // the engraving with every item's outline
}  // namespace layout_window

namespace job_window {
inline constexpr char kPasses[] = "passesBox";
inline constexpr char kCopies[] = "copiesBox";
inline constexpr char kNotify[] = "notifyButton";
inline constexpr char kOk[] = "okButton";
}  // namespace job_window

namespace test_card_window {
inline constexpr char kFrom[] = "fromBox";
inline constexpr char kTo[] = "toBox";
inline constexpr char kCount[] = "countBox";
inline constexpr char kCellSize[] = "cellSizeBox";
inline constexpr char kStatus[] = "statusLabel";
inline constexpr char kRun[] = "runButton";
inline constexpr char kStop[] = "stopButton";
}  // namespace test_card_window

}  // namespace tessary
