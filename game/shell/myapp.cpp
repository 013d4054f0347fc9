// Construction of the game object: every table is allocated once here and never replaced.
#include "game/shell/myapp.h"

#include "audio/audio.h"
#include "graphics/graphics.h"

c_MyApp::c_MyApp() {
  gc_assign(m_touchDown, Array<int>(10));
  gc_assign(m_touchX, Array<int>(10));
  gc_assign(m_touchY, Array<int>(10));
  gc_assign(m_screenButtons, Array<int>(20));
  gc_assign(m_drawList, Array<float>(kDrawListSize));
  gc_assign(m_images, Array<c_Image*>(100));
  gc_assign(m_imageInfo, Array<int>(300));
  gc_assign(m_sounds, Array<c_Sound*>(100));
  gc_assign(m_channelMap, Array<int>(33));
  gc_assign(m_settings, Array<int>(25));
  gc_assign(m_badges, Array<bool>(256));
  gc_assign(m_highScores, Array<int>(150));
  gc_assign(m_arena, Array<float>(512));
  gc_assign(m_foes, Array<float>(2560));
  gc_assign(m_sparks, Array<float>(5100));
  gc_assign(m_stars, Array<float>(5100));
  gc_assign(m_noticeBadge, Array<int>(15));
  gc_assign(m_noticeTime, Array<int>(15));
}

c_MyApp* c_MyApp::m_new() {
  c_App::m_new();
  return this;
}

void c_MyApp::mark() {
  c_App::mark();
  gc_mark_q(m_touchDown);
  gc_mark_q(m_touchX);
  gc_mark_q(m_touchY);
  gc_mark_q(m_screenButtons);
  gc_mark_q(m_drawList);
  gc_mark_q(m_images);
  gc_mark_q(m_imageInfo);
  gc_mark_q(m_sounds);
  gc_mark_q(m_channelMap);
  gc_mark_q(m_settings);
  gc_mark_q(m_badges);
  gc_mark_q(m_highScores);
  gc_mark_q(m_urlRequest);
  gc_mark_q(m_arena);
  gc_mark_q(m_foes);
  gc_mark_q(m_sparks);
  gc_mark_q(m_stars);
  gc_mark_q(m_noticeBadge);
  gc_mark_q(m_noticeTime);
}
