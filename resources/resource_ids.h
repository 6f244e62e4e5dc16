// Command, control and resource identifiers, shared by the resource script and the code.
// Plain #defines so that the resource compiler reads them too.
#pragma once

// Bitmaps, cursor
#define IDB_TOOLBAR 107
#define IDB_INSTRUMENTS 110
#define IDB_KEYS 114
#define IDC_PLAY_CURSOR 124

// Controls of the About box. The four links must stay contiguous, in this order.
#define IDC_LINK_MAIL 1002
#define IDC_LINK_HOME 1003
#define IDC_LINK_DOWNLOAD1 1004
#define IDC_LINK_DOWNLOAD2 1005
#define IDC_ABOUT_TITLE 1008

// Commands. The numbers are part of the recording file (key/mode) and must not change.
#define ID_DEVICE_OPEN 256
#define ID_DEVICE_CLOSE 257
#define ID_DEVICE_MAPPER 511
#define ID_DEVICE_BASE 512   // + device 0..255, up to 767
#define ID_CHANNEL_BASE 768  // + channel index 0..14
#define ID_PROGRAM_BASE 1024 // + General MIDI program 0..127
#define ID_HELP 1280
#define ID_ABOUT 1281
#define ID_EXPORT_MIDI 1282
#define ID_RECORD_START 1283 // 1283..1287 are also the five buttons, in this order
#define ID_RECORD_STOP 1284
#define ID_PLAY 1285
#define ID_PLAY_LOOP 1286
#define ID_PLAY_STOP 1287
#define ID_SAVE 1288
#define ID_SAVE_AS 1289
#define ID_LOAD 1296
#define ID_KEY_FIRST 1297 // key/modes 1297..1305, 1312..1321, 1328..1332
#define ID_KEY_LAST 1332
#define ID_AUTO_BASS 1333

// The two scroll bars
#define ID_VELOCITY_BAR 1344
#define ID_PITCH_BEND_BAR 1345
