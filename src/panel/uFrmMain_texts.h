#pragma once
// Every text of the main panel that exists in both languages, in one table. Handlers pick one
// by UiLanguage at the moment they write it and recognise either when they read a caption.

#include "bilingual.h"
#include "state_record.h"

namespace benchbridge::main_text {

// Connection and status (rbtn1, bb5, the no-port message).
inline constexpr Bilingual kConnect{"连接设备", "Connecting device"};
inline constexpr Bilingual kDisconnect{"断开设备", "DisConnect device"};
inline constexpr Bilingual kRemote{"远程", "REMOTE"};
inline constexpr Bilingual kLocal{"本地", "LOCAL"};
inline constexpr Bilingual kSelectPortFirst{"请先选择通讯串口！",
                                            "Please select serial port first！"};
inline constexpr Bilingual kMessageTitle{"提示", "Message"};
inline constexpr Bilingual kIncompleteIdn{"仪器的识别回复不完整，连接已停止：\n",
                                          "The instrument's identification reply is incomplete, "
                                          "the connection stopped:\n"};
inline constexpr Bilingual kBadPortName{"串口名称中没有端口号：",
                                        "The port name holds no port number: "};
inline constexpr Bilingual kPortNotListed{" 不在串口列表中。", " is not in the port list."};

// The line lost and back: bb5 while the port is gone and its tooltip; another meter behind the
// port when it came back (%1 the port, %2 the meter found, %3 the one before).
inline constexpr Bilingual kOffline{"离线", "OFFLINE"};
inline constexpr Bilingual kOfflineSince{"连接中断于 ", "Line lost at "};
inline constexpr Bilingual kOtherMeter{
    "%1 "
    "恢复后，应答的是另一台仪器。\n找到：%2\n之前：%3\n已断开连接；如需使用这台仪器，请重新连接。",
    "When %1 came back, another meter answered.\nFound: %2\nBefore: %3\nThe panel has "
    "disconnected; connect again to work with this meter."};
inline constexpr Bilingual kMeterIdentity{"%1，序列号 %2", "%1, serial %2"};
inline constexpr Bilingual kUnreadableIdentity{"无法识别的应答“%1”", "the reply \"%1\""};

// A port that does not open: %1 the port, %2 its device path, then the cause in words.
inline constexpr Bilingual kPortNotOpened{"无法打开 %1（%2）：", "%1 (%2) cannot be opened: "};
inline constexpr Bilingual kPortDenied{
    "没有权限。\n该设备属于用户组“%1”，而您不在其中。请把自己加入该组：\n    sudo usermod -aG %1 "
    "$USER\n然后注销并重新登录。",
    "permission denied.\nThe device belongs to the group \"%1\", which you are not in. Add "
    "yourself to it:\n    sudo usermod -aG %1 $USER\nthen log out and in again."};
inline constexpr Bilingual kPortDeniedListed{
    "没有权限。\n您已在用户组“%1”中，但当前会话是在加入之前开始的：请注销并重新登录。",
    "permission denied.\nYou are in the group \"%1\" already, but this session started before "
    "you were added: log out and in again."};
inline constexpr Bilingual kPortBusy{"它正被另一个程序使用", "it is in use by another program"};
inline constexpr Bilingual kPortBusyRemedy{"。\n请关闭该程序，或选择另一个串口。",
                                           ".\nClose that program, or choose another port."};
inline constexpr Bilingual kPortGone{
    "该设备已不存在。\n请重新插入（或启动模拟器），再打开串口列表并连接。",
    "the device is no longer present.\nPlug it in again (or start the simulator), open the port "
    "list again and connect."};

// Log lines that cannot be written (%1 the folder or file, %2 the cause, %3 what to do) and the
// tooltip's line while it lasts.
inline constexpr Bilingual kLogLoss{
    "读数没有被记录：无法写入 %1：%2。\n测量继续进行；一旦可以写入，记录会自动恢复。\n%3",
    "Readings are not being logged: %1 cannot be written: %2.\nPolling goes on; logging resumes by "
    "itself as soon as the folder can be written.\n%3"};
inline constexpr Bilingual kLogLossSince{"自此丢失日志行：", "Log lines lost since "};
inline constexpr Bilingual kLossDenied{"权限不足（属于用户 %1）",
                                       "permission denied (it belongs to %1)"};
inline constexpr Bilingual kLossDeniedRemedy{
    "把它交还给您：sudo chown -R $USER \"%1\"，或用 --home 目录 启动。",
    "Give it back to you: sudo chown -R $USER \"%1\", or start benchbridge with --home DIR."};
inline constexpr Bilingual kLossReadOnly{"磁盘为只读", "the disk is read-only"};
inline constexpr Bilingual kLossFull{"磁盘已满", "the disk is full"};
inline constexpr Bilingual kLossNotFolder{"该位置是文件而不是文件夹",
                                          "a file stands where the folder should be"};
inline constexpr Bilingual kLossOtherRemedy{
    "请腾出磁盘空间，或用 --home 目录 在可写的文件夹中启动。",
    "Make room, or start benchbridge with --home DIR on "
    "a writable folder."};

// Mode badge LLs888, by BridgeMode, and the automatic function in CB1.
inline constexpr Bilingual kModeBadge[] = {
    {"交流电桥", "LCR"}, {"直流电阻", "DCR"}, {"电解电容", "ECA"}};
inline constexpr const Bilingual& ModeBadgeText(BridgeMode mode) {
  return kModeBadge[static_cast<int>(mode)];
}
inline constexpr Bilingual kAuto{"自动", "AUTO"};

// Keys captioned by ApplyLanguage.
inline constexpr Bilingual kClose{"关闭", "Close"};
inline constexpr Bilingual kCompare{"比较", "COMPARE"};
inline constexpr Bilingual kHold{"保持", "HOLD"};
inline constexpr Bilingual kMax{"最大值", "MAX"};
inline constexpr Bilingual kMin{"最小值", "MIN"};
inline constexpr Bilingual kAvg{"平均值", "AVG"};
inline constexpr Bilingual kSet{"设置", "SET"};

// Row captions lbl1 .. lbl9.
inline constexpr Bilingual kRowCaptions[] = {
    {"功能:", "FUNC:"}, {"电平:", "LEVEL:"}, {"偏置:", "BIAS:"},
    {"频率:", "FREQ:"}, {"量程:", "RANGE:"}, {"比较:", "COMP:"},
    {"阻抗:", "ROUT:"}, {"速度:", "SPEED:"}, {"列表:", "LIST:"}};

// Items of the lists whose texts follow the language, by position.
inline constexpr Bilingual kRangeItems[] = {{"自动", "AUTO"}, {"锁定", "LOCK"}};
inline constexpr Bilingual kOffOnItems[] = {{"关", "OFF"}, {"开", "ON"}};
inline constexpr Bilingual kSpeedItems[] = {{"慢速", "SLOW"}, {"中速", "MED"}, {"快速", "FAST"}};

// Notices of the list switch cb9.
inline constexpr Bilingual kTips{"提示", "Tips"};
inline constexpr Bilingual kNoListInDcr{"直流电阻模式下不能使用列表功能。",
                                        "List function cannot be used in DC resistance mode。"};
inline constexpr Bilingual kNoListInAuto{"自动模式下不能使用列表功能。",
                                         "List function cannot be used in AUTO mode。"};

}  // namespace benchbridge::main_text
