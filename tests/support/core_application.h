#pragma once
// Tests that deliver Qt events (device completions) need one QCoreApplication
// for the whole test program. EnsureCoreApplication creates it on first use;
// it lives until the program ends.
class QCoreApplication;

QCoreApplication& EnsureCoreApplication();
