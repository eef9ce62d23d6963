// SPDX-License-Identifier: GPL-3.0-or-later
// Registering the compiled-in resources; see resources.h.
#include "ui/resources.h"

#include <QtCore/qresource.h>

// Q_INIT_RESOURCE must be used outside any namespace; calling it also makes the
// linker keep the resource object of the static assets library.
static void InitSnipolaResources() { Q_INIT_RESOURCE(snipola); }

void LoadSnipolaResources() { InitSnipolaResources(); }
