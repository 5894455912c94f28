// Route table of the system, accounts and maintenance module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"
#include "system/login.h"
#include "system/user_record.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/1000", on_user_login},
    {"/1001", on_change_language},
    {"/1002", nullptr},
    {"/1003", nullptr},
    {"/1004", nullptr},
    {"/1005", nullptr},
    {"/1006", nullptr},
    {"/1007", nullptr},
    {"/1008", nullptr},
    {"/1009", nullptr},
    {"/1010", nullptr},
    {"/1011", nullptr},
    {"/1012", nullptr},
    {"/1013", nullptr},
    {"/1014", on_user_logout},
    {"/1015", nullptr},
    {"/1016", nullptr},
    {"/1017", nullptr},
    {"/1018", on_user_login_from_mail},
    {"/1019", nullptr},
    {"/1020", nullptr},
    {"/1021", nullptr},
    {"/1022", nullptr},
    {"/1023", nullptr},
    {"/1024", nullptr},
    {"/1030", nullptr},
    {"/1031", nullptr},
    {"/1032", nullptr},
    {"/1033", nullptr},
    {"/1034", nullptr},
    {"/6070", nullptr},
    {"/6071", nullptr},
    {"/6072", nullptr},
    {"/6073", nullptr},
    {"/6074", nullptr},
    {"/6075", nullptr},
    {"/6076", nullptr},
    {"/6077", nullptr},
    {"/6080", nullptr},
    {"/6081", nullptr},
    {"/6082", nullptr},
    {"/6083", nullptr},
    {"/6084", nullptr},
    {"/6085", nullptr},
    {"/6086", nullptr},
    {"/6087", nullptr},
    {"/6088", nullptr},
    {"/6089", nullptr},
    {"/6300", nullptr},
    {"/6301", nullptr},
    {"/6310", nullptr},
    {"/6311", nullptr},
    {"/6320", nullptr},
    {"/6321", nullptr},
    {"/6322", nullptr},
    {"/6323", nullptr},
    {"/6324", nullptr},
    {"/6325", nullptr},
    {"/json", nullptr},
    {"/vb.htm", nullptr},
    {"/oem", nullptr},
    {"/dw.cgi", nullptr},
    {"/ipc", nullptr},
};

constexpr const RecordKind* kKinds[] = {&kUserKind};

}  // namespace

extern const ModuleRoutes kSystemModule = {"system", kRoutes, static_cast<int>(std::size(kRoutes)),
                                           kKinds,   {},      LoginRouter::kTables};
