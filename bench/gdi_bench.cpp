// Drawing costs of the GDI subset on the 320 x 240 framebuffer: an opaque full-screen copy (a
// screen's background), a keyed 280 x 130 copy (the message panel) and a 20-character label with
// its glyphs already cached.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/gwes/gdi.h"
#include "platform/gwes/gdi/font_engine.h"
#include "platform/kernel/resources.h"
#include "res/program_resources.h"

namespace {

struct Frame {
  Frame() : surface(std::make_shared<gwes::Surface>(gwes::kScreenWidth, gwes::kScreenHeight)) {
    dc = gwes::CreateSurfaceDC(surface, {0, 0}, {RECT{0, 0, gwes::kScreenWidth, gwes::kScreenHeight}});
  }
  ~Frame() { DeleteDC(dc); }
  std::shared_ptr<gwes::Surface> surface;
  HDC dc;
};

// A memory context holding a patterned bitmap of the given size.
struct Picture {
  Picture(int w, int h) : dc(CreateCompatibleDC(nullptr)) {
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    bitmap = CreateBitmap(w, h, 1, 32, bits.data());
    old = SelectObject(dc, bitmap);
  }
  ~Picture() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

void BM_BitBltFullScreen(benchmark::State& state) {
  Frame frame;
  Picture background(gwes::kScreenWidth, gwes::kScreenHeight);
  for (auto _ : state) {
    BitBlt(frame.dc, 0, 0, gwes::kScreenWidth, gwes::kScreenHeight, background.dc, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BitBltFullScreen);

void BM_TransparentImagePanel(benchmark::State& state) {
  Frame frame;
  Picture panel(280, 130);
  for (auto _ : state) {
    TransparentImage(frame.dc, 20, 55, 280, 130, panel.dc, 0, 0, 280, 130, RGB(1, 0, 0));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TransparentImagePanel);

void BM_DrawTextLabel(benchmark::State& state) {
  Frame frame;
  LOGFONTW description = gwes::SystemLogFont();
  description.lfHeight = -22;
  description.lfWeight = FW_BOLD;
  HFONT font = CreateFontIndirectW(&description);
  HGDIOBJ old = SelectObject(frame.dc, font);
  SetBkMode(frame.dc, TRANSPARENT);
  SetTextColor(frame.dc, RGB(89, 89, 89));
  const char16_t* label = u"Backlight brightness";  // 20 characters
  RECT rect{85, 15, 320, 55};
  DrawTextW(frame.dc, label, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);  // warms the glyph cache
  for (auto _ : state) {
    DrawTextW(frame.dc, label, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    benchmark::ClobberMemory();
  }
  SelectObject(frame.dc, old);
  DeleteObject(font);
}
BENCHMARK(BM_DrawTextLabel);

// A screen background as every erase loads it: the 320 x 240 DIB of the program's resources made
// into a device bitmap, and released. The load shares the pixels converted at the first load, so it
// costs the same alone and after other benchmarks have left the allocator in any state.
void BM_LoadBackgroundBitmap(benchmark::State& state) {
  kernel::SetProgramResources(ProgramResourceBytes());
  for (auto _ : state) {
    HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
    benchmark::DoNotOptimize(bitmap);
    DeleteObject(bitmap);
  }
}
BENCHMARK(BM_LoadBackgroundBitmap);

// The same load drawn into (one pixel), which gives the bitmap a 300 KB copy of its own.
void BM_LoadBackgroundBitmapAndDrawIntoIt(benchmark::State& state) {
  kernel::SetProgramResources(ProgramResourceBytes());
  HDC dc = CreateCompatibleDC(nullptr);
  for (auto _ : state) {
    HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(161));
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS);
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
}
BENCHMARK(BM_LoadBackgroundBitmapAndDrawIntoIt)->Unit(benchmark::kMicrosecond);

}  // namespace
