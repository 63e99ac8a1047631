// The texts of the main dialog's commands.
#pragma once

#include <string_view>

namespace ombrix::texts {

// Questions.
inline constexpr std::u16string_view kAskCopy = u"是否开始复制 ？";
inline constexpr std::u16string_view kAskZero = u"是否执行清零动作 ？";
inline constexpr std::u16string_view kAskStop = u"是否停止操作 ？";
inline constexpr std::u16string_view kAskSwap = u"是否要对“源硬盘”与“目标硬盘”交换位置 ？";
inline constexpr std::u16string_view kAskReset = u"是否重置设置 ？";
inline constexpr std::u16string_view kAskExit = u"是否退出 ？";

// Refusals.
inline constexpr std::u16string_view kSelectSource = u"请选择“源硬盘” ！";
inline constexpr std::u16string_view kSelectTarget = u"请选择“目标硬盘” ！";
inline constexpr std::u16string_view kSelectDrive = u"请选择硬盘 ！";
inline constexpr std::u16string_view kSameMedia = u"“源介质”与“目标介质”相同，请从新选择 ！";

// Image entries.
inline constexpr std::u16string_view kOpenImageTitle = u"请选择需要打开镜像文件：";
inline constexpr std::u16string_view kSaveImageTitle =
    u"请选择需保存镜像文件的路径，以及输入文件名：";
inline constexpr std::u16string_view kSourceImageOpenError = u"源镜像文件打开出错 ！";
inline constexpr std::u16string_view kFileSizeError = u"获取文件大小出错 ！";
inline constexpr std::u16string_view kImageNotAligned =
    u"此镜像文件非512字节对齐，自动截断剩余部分！";
inline constexpr std::u16string_view kSourceImageAdded = u"成功添加到“源硬盘”列表在中！";
inline constexpr std::u16string_view kTargetImageAdvice =
    u"请不要将“镜像文件”保存到FAT分区中，并且确保存放“镜像文件”的分区空间足够 ！";
inline constexpr std::u16string_view kTargetImageAdded = u"成功添加到“目标硬盘”列表在中！";

// The details box.
inline constexpr std::u16string_view kDetailsTitle = u"详细信息";

// Our own: a list that holds its 128 entries takes no more.
inline constexpr std::u16string_view kListFull = u"列表已满（最多128项），无法再添加 ！";
// Our own: a path longer than an entry can hold would name another file if cut.
inline constexpr std::u16string_view kPathTooLong = u"镜像文件的路径过长，无法添加 ！";

}  // namespace ombrix::texts
