// The image set: one of three resolutions chosen by the window size, the logo and font loaded
// at once, the rest one asset per update while the loading screen shows.
#include "app/app.h"
#include "game/shell/myapp.h"
#include "graphics/graphics.h"

// Resolution of the artwork for the current window: 1 up to 630, 2 up to 1230, else 4.
static int AssetScaleFor(int width, int height) {
  if (width <= 630 && height <= 630) return 1;
  if (width <= 1230 && height <= 1230) return 2;
  return 4;
}

static String AssetFile(const String& name, int assetScale) {
  const char* suffix = assetScale == 1 ? "" : assetScale == 2 ? "-hd" : "-hd2";
  return name + String(suffix) + String(".png");
}

static void ChooseResolution(c_MyApp* app) {
  app->m_assetScale = AssetScaleFor(kx_app__devWidth, kx_app__devHeight);
  app->m_imageScale = 1.0f / static_cast<float>(app->m_assetScale);
}

void c_MyApp::p_LoadImg(int slot, String name, int frameWidth, int frameHeight, int frames,
                        int flags) {
  String file = AssetFile(name, m_assetScale);
  // Empty the slot first so the previous picture is released even when the new one is missing.
  gc_assign(m_images[slot], nullptr);
  gc_assign(m_images[slot], kx_graphics_LoadImage2(file, frameWidth * m_assetScale,
                                                   frameHeight * m_assetScale, frames, flags));
  m_imageInfo[slot * 3] = frameWidth * m_assetScale;
  m_imageInfo[slot * 3 + 1] = frameHeight * m_assetScale;
  m_imageInfo[slot * 3 + 2] = frames;
}

void c_MyApp::p_LoadFont(int slot, String name, int advance, int lineHeight) {
  String file = AssetFile(name, m_assetScale);
  gc_assign(m_images[slot], nullptr);
  gc_assign(m_images[slot],
            kx_graphics_LoadImage2(file, 16 * m_assetScale, 16 * m_assetScale, 128, 1));
  m_imageInfo[slot * 3] = advance;
  m_imageInfo[slot * 3 + 1] = lineHeight;
  m_imageInfo[slot * 3 + 2] = 128;
  m_font = slot;
}

void c_MyApp::p_Reload() {
  m_clsRed = 0;
  m_clsGreen = 0;
  m_clsBlue = 0;
  m_clsAlpha = 1.0f;
  ChooseResolution(this);
  p_LoadImg(93, String("common/TOVALogo"), 256, 256, 1, 1);
  p_LoadFont(90, String("fonts/shadow_editundo"), 7, 10);
  m_loading = 1;
}

void c_MyApp::p_Loader() {
  ChooseResolution(this);
  switch (m_loading) {
    case 1:
      p_LoadImg(97, String("common/icons"), 32, 32, 16, 1);
      p_LoadSFX(96);
      break;
    case 2: p_LoadImg(95, String("common/Buttons"), 64, 64, 16, 1); break;
    case 3: p_LoadImg(94, String("common/dpad"), 32, 32, 16, 1); break;
    case 4:
      p_LoadImg(93, String("common/TOVALogo"), 256, 256, 1, 1);
      if (m_jinglePlayed == 0) {
        p_PlaySFX(96, 1.0f);
        m_jinglePlayed = 1;
      }
      break;
    case 5: p_LoadImg(91, String("common/Testcard_Circle"), 256, 256, 1, 1); break;
    case 6: p_LoadFont(90, String("fonts/shadow_editundo"), 7, 10); break;
    case 7: p_LoadSFX(1); break;
    case 8: p_LoadSFX(95); break;
    case 9: p_LoadSFX(98); break;
    case 10: p_LoadSFX(99); break;
    case 11: p_LoadImg(99, String("menu"), 256, 256, 4, 1); break;
    case 12: p_LoadImg(98, String("logo"), 256, 128, 1, 1); break;
    case 13: p_LoadImg(96, String("parts"), 8, 8, 256, 1); break;
    case 14: p_LoadImg(80, String("BadgesA"), 64, 64, 64, 1); break;
    case 15: p_LoadImg(85, String("common/circle"), 256, 256, 4, 1); break;
    case 16: p_LoadImg(1, String("gfx"), 32, 32, 64, 1); break;
    default:
      if (m_loading >= 17 && m_loading <= 28) {
        p_LoadSFX(m_loading - 15);
      } else {
        m_loading = 0;
      }
      break;
  }
  if (m_loading > 0) ++m_loading;
  p_WaitStart(1);
}
