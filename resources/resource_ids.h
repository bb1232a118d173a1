/* Resource identifiers shared by the resource script and the program. */
#ifndef GLYPHCENSUS_RESOURCE_IDS_H
#define GLYPHCENSUS_RESOURCE_IDS_H

#define IDD_MAIN_DIALOG 101
#define IDI_LARGE_ICON 103
#define IDI_SMALL_ICON 104
#define IDC_RESULT_BOX 1001

#endif
