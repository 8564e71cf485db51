// The program's own resources (skins, update notice, hand cursor), compiled into the
// executable from a source that `vemi-disc resources` writes at build time.
#pragma once

// Makes them known to platform::FindResource. Call once, before the main window
// is created.
void RegisterProgramResources();
