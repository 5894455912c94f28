// Video loss and the recorder's exceptions: the basic video-loss settings ("/6014",
// "/6016"), its schedule page ("/6015", "/6017"), the linkage dialog with its copy
// ("/6094", "/6095"), and the exception settings with their HTTP targets ("/6999",
// "/6998").
#pragma once

int on_get_videolost_info(char* text);
int on_set_videolost_info(char* text);
int on_get_videolost_schedule(char* text);
int on_set_videolost_schedule(char* text);
int on_get_videoloss_info(char* text);
int on_set_videoloss_info(char* text);
int on_get_exception(char* text);
int on_set_exception(char* text);
