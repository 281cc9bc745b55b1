// CSmothDlg: the moving average's settings dialog (template 109): the window length in points
// (edit 1000, 1 to 1000). It is the dialog fed by the table (CParamDlg) on the class's descriptor.
#pragma once

#include "modules/filters/SmothFilter.h"
#include "pipeline/ParamDlg.h"

namespace tavrel {

using CSmothDlg = CParamDlg;

}  // namespace tavrel
