// OSD and privacy-mask pages: the stored OSD of a channel ("/6000", "/6001", "/6002"), the
// camera's own OSD ("/6997", "/6996"), the stored masks ("/6018"), the masks set on and
// read from the cameras ("/6019", "/6115", "/6173", "/6198") and the camera's model type
// ("/6116").
#pragma once

int on_get_osd_info(char* text);
int on_set_osd_info(char* text);
int OnSetOSDName(char* text);
int on_get_osdconfig(char* text);
int on_set_osdconfig(char* text);
int on_get_privacy_masks(char* text);
int on_set_privacy_mask(char* text);
int on_get_privacy_mask_ovf(char* text);
int on_get_ipc_model_type(char* text);
int on_delete_privacy_mask(char* text);
int on_cgi_set_privacy_edit(char* text);

// Answer writers (the socket library's thread). Each writes the error body of its page for
// an answer without a whole record.
int on_set_osdconfig_cb(int count, const void* payload);         // 8210
int on_get_osdconfig_cb(int count, const void* payload);         // 8211
int on_get_privacy_mask_ovf_cb(int count, const void* payload);  // 7502
int on_get_ipc_model_type_cb(int count, const void* payload);    // 7503
int on_set_privacy_edit_cb(int count, const void* payload);      // 8353
