#pragma once
// Every text of the value-entry dialogs (FrmSet22, FrmSet33, FrmSet44) in both languages.

#include "bilingual.h"

namespace benchbridge::set_value_text {

inline constexpr Bilingual kOk{"确定", "OK"};
inline constexpr Bilingual kCancel{"取消", "Cancel"};
// %1 and %2: the lowest and the highest value accepted.
inline constexpr Bilingual kRange{"输入范围:(%1-%2)", "Input range:(%1-%2)"};
inline constexpr Bilingual kWrongRange{"参数范围有误！", "Wrong parameter range！"};
// %1: the text as typed.
inline constexpr Bilingual kNotWholeNumber{"'%1' 不是有效的整数。",
                                           "'%1' is not a valid integer value"};
inline constexpr Bilingual kErrorTitle{"错误", "Error"};
inline constexpr Bilingual kNoticeTitle{"提示", "Tips"};
inline constexpr Bilingual kNotConnected{"没有连接仪器，数值未发送。",
                                         "No instrument is connected; the value was not sent."};

}  // namespace benchbridge::set_value_text
