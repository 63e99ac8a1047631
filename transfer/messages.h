// The texts the transfer workers show.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ombrix::messages {

inline constexpr std::u16string_view kSourceOpenError =
    u"“源硬盘”打开出错 ！";  // the source cannot be opened
inline constexpr std::u16string_view kTargetOpenError =
    u"“目标硬盘”打开出错 ！";  // the target cannot be opened
inline constexpr std::u16string_view kStartBelowZero =
    u"起始扇区不能小于0，请从新输入 ！";  // range: negative start sector
inline constexpr std::u16string_view kOutsideSource =
    u"超出“源硬盘”范围，请从新输入 ！";  // range: past the source's end
inline constexpr std::u16string_view kOutsideTarget =
    u"超出“目标硬盘”范围，请从新输入 ！";  // range: past the target's end
inline constexpr std::u16string_view kTargetTooSmall =
    u"超出“目标硬盘”范围，可以使用“高级选项”进行合理分配 ！";  // whole copy: target smaller than
                                                               // source
inline constexpr std::u16string_view kImageTargetGrows =
    u"目标是镜像文件，将忽略原始镜像文件大小（镜像文件会自动增大）！";  // an image target takes any
                                                                        // size
inline constexpr std::u16string_view kPositionError = u"移动指针出错 ！";  // positioning failed
inline constexpr std::u16string_view kReadError = u"Read ERROR !";         // a step's read failed
inline constexpr std::u16string_view kWriteError = u"Write ERROR !";       // a step's write failed
inline constexpr std::u16string_view kCopyDone = u"复制完毕 ！";    // copy finished or stopped
inline constexpr std::u16string_view kCopyFailed = u"复制异常 ！";  // copy failed
inline constexpr std::u16string_view kZeroImageRefused =
    u"此目标硬盘为镜像文件，无需清零 ！";                           // zero-fill of an image entry
inline constexpr std::u16string_view kZeroDone = u"清零已结束 ！";  // zero-fill finished or stopped
inline constexpr std::u16string_view kZeroFailed = u"清零异常 ！";  // zero-fill failed

// Our own, for a transfer checked after it was written: read back from the target and compared.
inline constexpr std::u16string_view kCopyVerified =
    u"复制完毕，校验无误 ！";  // followed by a line with the area's SHA-256
inline constexpr std::u16string_view kZeroVerified = u"清零已结束，校验无误 ！";
inline constexpr std::u16string_view kVerifyReadError = u"校验时读取出错 ！";
inline constexpr std::u16string_view kCannotVerify = u"无法校验：系统不能计算 SHA-256 ！";
// "校验失败：第 N 扇区与源硬盘不一致 ！" and "校验失败：第 N 扇区不为零 ！", N in the source's (or
// the zeroed drive's) sectors.
std::u16string CopyMismatch(std::int64_t sector);
std::u16string ZeroMismatch(std::int64_t sector);

// Our own: why a target cannot be opened while it is in use.
inline constexpr std::u16string_view kTargetBusy =
    u"“目标硬盘”正在被使用：它有已挂载的分区，或被其他程序独占。"
    u"请先卸载它的所有分区并关闭使用它的程序，然后再试 ！";
// Our own: the worker thread could not be started; nothing was done.
inline constexpr std::u16string_view kWorkerNotStarted = u"无法启动工作线程，操作未执行 ！";

}  // namespace ombrix::messages
