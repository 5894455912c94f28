// Login and sessions: "/1000" login, "/1001" the interface language list, "/1014"
// logout, "/1018" the guest login of a notification mail's link.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cgi_ipc.h"
#include "ipc_router.h"

int on_user_login(char* text);
int on_change_language(char* text);
int on_user_logout(char* text);
int on_user_login_from_mail(char* text);

// 8504: the core's verdict on a notification mail's link; writes the guest login's answer.
int on_user_login_from_mail_cb(int count, const void* payload);
inline constexpr IpcAnswerRoute kLoginAnswers[] = {
    {8504, sizeof(int32_t), on_user_login_from_mail_cb}};
using LoginRouter = IpcRouter<kLoginAnswers>;

// A new session identifier: 32 decimal digits from the kernel's random source, without
// modulo bias. False when no random bytes could be had.
[[nodiscard]] bool get_session_id(char (&out)[33]);

// The cookie domain from a Host header: the host without its port, cut to 49 characters,
// ending at the first character that cannot stand in a host name (an IPv6 literal keeps
// its brackets and colons).
void cookie_domain_from_host(const char* host, char* out, std::size_t size);
