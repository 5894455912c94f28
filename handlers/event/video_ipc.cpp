// The event module's table of core answers. Each row names the answer type, the size of
// one answer record and the writer; a new event request adds its rows here.
#include "event/video_ipc.h"

#include "cgi_ipc.h"
#include "event/motion.h"
#include "event/motion_core.h"

namespace {

constexpr std::size_t kResultWord = sizeof(std::int32_t);

constexpr IpcAnswerRoute kVideoAnswers[] = {
    {kMotionMapAnswer, sizeof(MotionMapRecord), on_get_motion_map_cb},
    // Camera-side event settings: a plain result word, 0 for success.
    {8244, kResultWord, on_cgi_ok_failed_cb},
    {8245, kResultWord, on_cgi_ok_failed_cb},
    {8246, kResultWord, on_cgi_ok_failed_cb},
    {8247, kResultWord, on_cgi_ok_failed_cb},
    {8248, kResultWord, on_cgi_ok_failed_cb},
    {8249, kResultWord, on_cgi_ok_failed_cb},
    {8250, kResultWord, on_cgi_ok_failed_cb},
    {8254, kResultWord, on_cgi_ok_failed_cb},
    {8260, kResultWord, on_cgi_ok_failed_cb},
    {8261, kResultWord, on_cgi_ok_failed_cb},
    {8269, kResultWord, on_cgi_ok_failed_cb},
};

consteval bool answer_types_unique() {
  for (std::size_t i = 0; i < std::size(kVideoAnswers); ++i)
    for (std::size_t j = i + 1; j < std::size(kVideoAnswers); ++j)
      if (kVideoAnswers[i].answer_type == kVideoAnswers[j].answer_type) return false;
  return true;
}
static_assert(answer_types_unique(), "an answer type has one writer");

}  // namespace

void on_video_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  ipc_router<kVideoAnswers>(context, header_words, payload);
}
