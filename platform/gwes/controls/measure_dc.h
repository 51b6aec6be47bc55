// A memory DC with a control's font selected, for measuring text outside painting (layouts, hit
// tests, minimum sizes). A null font measures with the DC's default font, as painting does.
#pragma once

#include <string_view>

#include "platform/gwes/gdi.h"

namespace gwes {

class MeasureDc {
 public:
  explicit MeasureDc(HFONT font) : m_dc(CreateCompatibleDC(nullptr)) {
    if (m_dc && font) SelectObject(m_dc, font);
  }
  ~MeasureDc() {
    if (m_dc) DeleteDC(m_dc);
  }
  MeasureDc(const MeasureDc&) = delete;
  MeasureDc& operator=(const MeasureDc&) = delete;

  int Width(std::u16string_view text) const {
    SIZE size{};
    if (text.empty() || !GetTextExtentPoint32W(m_dc, text.data(), static_cast<int>(text.size()), &size)) return 0;
    return size.cx;
  }
  int LineHeight() const {
    TEXTMETRICW metrics{};
    return GetTextMetricsW(m_dc, &metrics) ? metrics.tmHeight : 16;
  }

 private:
  HDC m_dc;
};

}  // namespace gwes
