// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The unit names of the main window, the Setting window and the Picture options window, each written once:
// definitions and handlers
// use these. Both windows have an 编辑框1 and a 图片框1; a name is looked up in the window it is used with.
namespace tessary::unit {

inline constexpr char 分组框1[] = "分组框1";
inline constexpr char 分组框2[] = "分组框2";
inline constexpr char 分组框3[] = "分组框3";
inline constexpr char 分组框4[] = "分组框4";
inline constexpr char 分组框5[] = "分组框5";
inline constexpr char 分组框6[] = "分组框6";
inline constexpr char 图片框1[] = "图片框1";
inline constexpr char 拖放对象1[] = "拖放对象1";
inline constexpr char 按钮1[] = "按钮1";
inline constexpr char 按钮2[] = "按钮2";
inline constexpr char 按钮上[] = "按钮上";
inline constexpr char 按钮下[] = "按钮下";
inline constexpr char 按钮中心[] = "按钮中心";
inline constexpr char 按钮发送数据[] = "按钮发送数据";
inline constexpr char 按钮右[] = "按钮右";
inline constexpr char 按钮复位[] = "按钮复位";
inline constexpr char 按钮左[] = "按钮左";
inline constexpr char 按钮开始[] = "按钮开始";
inline constexpr char 按钮快进[] = "按钮快进";
inline constexpr char 按钮快退[] = "按钮快退";
inline constexpr char 按钮放大[] = "按钮放大";
inline constexpr char 按钮断开[] = "按钮断开";
inline constexpr char 按钮旋转[] = "按钮旋转";
inline constexpr char 按钮暂停[] = "按钮暂停";
inline constexpr char 按钮框定位[] = "按钮框定位";
inline constexpr char 按钮点定位[] = "按钮点定位";
inline constexpr char 按钮缩小[] = "按钮缩小";
inline constexpr char 按钮连接[] = "按钮连接";
inline constexpr char 按钮重启[] = "按钮重启";
inline constexpr char 按钮重载[] = "按钮重载";
inline constexpr char 按钮高级[] = "按钮高级";
inline constexpr char 标签2[] = "标签2";
inline constexpr char 滑块条1[] = "滑块条1";
inline constexpr char 滑块标签[] = "滑块标签";
inline constexpr char 画板1[] = "画板1";
inline constexpr char 画板2[] = "画板2";
inline constexpr char 画板3[] = "画板3";
inline constexpr char 端口1[] = "端口1";
inline constexpr char 组合框1[] = "组合框1";
inline constexpr char 编辑框1[] = "编辑框1";

// The Picture options window.
inline constexpr char 组合框转换[] = "组合框转换";
inline constexpr char 标签转换[] = "标签转换";
inline constexpr char 标签阈值[] = "标签阈值";
inline constexpr char 滑块阈值[] = "滑块阈值";
inline constexpr char 标签网格[] = "标签网格";
inline constexpr char 滑块网格[] = "滑块网格";
inline constexpr char 标签角度[] = "标签角度";
inline constexpr char 滑块角度[] = "滑块角度";
inline constexpr char 标签亮度[] = "标签亮度";
inline constexpr char 滑块亮度[] = "滑块亮度";
inline constexpr char 标签对比度[] = "标签对比度";
inline constexpr char 滑块对比度[] = "滑块对比度";
inline constexpr char 标签伽马[] = "标签伽马";
inline constexpr char 滑块伽马[] = "滑块伽马";
inline constexpr char 标签锐化[] = "标签锐化";
inline constexpr char 滑块锐化[] = "滑块锐化";
inline constexpr char 标签尺寸[] = "标签尺寸";
inline constexpr char 滑块尺寸[] = "滑块尺寸";
inline constexpr char 按钮填满[] = "按钮填满";
inline constexpr char 按钮反相[] = "按钮反相";
inline constexpr char 按钮自动色阶[] = "按钮自动色阶";
inline constexpr char 按钮默认[] = "按钮默认";

}  // namespace tessary::unit
