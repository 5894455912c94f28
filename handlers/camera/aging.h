// The aging quick settings ("/3300" to "/3304"): single switches that burn-in and
// quick-setup tools set in one step. Each writes the store, answers "OK" and tells the core
// without waiting; the core's answers to these notices are ignored.
#pragma once

#include <cstdint>

#include "handler_kit.h"

int on_set_ssh_enable(char* text);       // /3300
int on_set_auto_login(char* text);       // /3301
int on_set_all_record_mode(char* text);  // /3302
int on_set_wizard_enable(char* text);    // /3303
int on_set_ipc_quick(char* text);        // /3304

inline constexpr int kSshSwitched = 1702;  // SshSwitchNotice, no answer

// 1702: tells the core to apply the SSH switch of the port record.
struct SshSwitchNotice {
  char text[32];  // "more", then zeros
};
static_assert(sizeof(SshSwitchNotice) == 32);

// Ignores every answer: nothing the aging requests send is awaited.
void on_aging_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kAgingCore{on_aging_callback};
