// SPDX-License-Identifier: GPL-3.0-or-later
// Found before Qt's own header when tarn_model is compiled: every QtWidgets
// header starts here.
#error "The model (catalog, launch, settings, app helpers) uses Qt Core only; move this code to tarn_gui."
