// CReSmplDlg: the decimation's settings dialog (template 108): the step in points (edit 1000,
// 1 to 100). It is the dialog fed by the table (CParamDlg) on the class's descriptor.
#pragma once

#include "modules/filters/ReSmplFilter.h"
#include "pipeline/ParamDlg.h"

namespace tavrel {

using CReSmplDlg = CParamDlg;

}  // namespace tavrel
