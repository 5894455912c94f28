// Camera channel management: the handlers of the channel pages. Requests answered from
// the store are in camera_channels.cpp, those the core answers in camera_queries.cpp.
// Each handler takes the request text and writes its whole response.
#pragma once

// ---- From the store (camera_channels.cpp) -------------------------------------------------
int on_get_ipc_channel_info(char* text);  // /2000 one channel's settings
int on_edit_ipc_channel(char* text);      // /2003
int on_add_ipc_channel(char* text);       // /2004
int on_delete_ipc_channel(char* text);    // /2005
int on_get_ipc_protocols(char* text);     // /2008 protocol and model catalogue
int on_get_channel_names(char* text);     // /2012
int on_get_poe_password(char* text);      // /2016
int on_set_ipc_login(char* text);         // /2017
int on_get_max_poe_num(char* text);       // /2018
int on_set_ipc_transport(char* text);     // /2031
int on_get_have_ipv6(char* text);         // /2034

// ---- Answered by the core (camera_queries.cpp) ---------------------------------------------
int on_get_ipc_channel_list(char* text);          // /2001, /2007 live channel list
int on_search_ipc(char* text);                    // /2006 network search
int on_set_ipc_network(char* text);               // /2011 change one camera's address
int on_test_ipc_connection(char* text);           // /2014 login test
int on_test_ipc_web_connection(char* text);       // /2015 login test on the web port
int on_web_get_ipc_model_type(char* text);        // /2025
int on_web_sendto_qt_cmd(char* text);             // /2026 command for the local console
int on_web_get_motion_status(char* text);         // /2028
int on_web_get_channels_model(char* text);        // /2029
int on_set_ipc_network_batch(char* text);         // /2032 change several addresses
int on_get_ipc_network_batch_result(char* text);  // /2033 results of the last batch
