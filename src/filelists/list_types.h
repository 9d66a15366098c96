// The property types of the three file-system list controls, with their Windows-era names.
#pragma once

#include "platform/volumes.h"

#include <QFlags>

// Attributes of a directory entry that a file list can ask for (TRzFileListBox::FileType).
enum TFileAttr {
    ftReadOnly = 0x01,
    ftHidden = 0x02,
    ftSystem = 0x04,
    ftVolumeID = 0x08,
    ftDirectory = 0x10,
    ftArchive = 0x20,
    ftNormal = 0x80,
};
Q_DECLARE_FLAGS(TFileType, TFileAttr)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileType)

// Drive kinds as the platform reports them.
using TDriveType = platform::DriveType;

// Drive kinds a drive selector lists (TRzDriveComboBox::DriveTypes).
enum TFilterDrives {
    dtFloppy = 1 << int(platform::DriveType::Floppy),
    dtFixed = 1 << int(platform::DriveType::Fixed),
    dtNetwork = 1 << int(platform::DriveType::Network),
    dtCDROM = 1 << int(platform::DriveType::CDROM),
    dtRAM = 1 << int(platform::DriveType::RAM),
};
Q_DECLARE_FLAGS(TDriveTypes, TFilterDrives)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDriveTypes)

inline constexpr TDriveTypes kAllDriveTypes{dtFloppy | dtFixed | dtNetwork | dtCDROM | dtRAM};

// Whether a kind is in a set of kinds; unknown kinds and "no drive" never are.
inline bool driveTypeListed(TDriveTypes types, platform::DriveType kind) {
    const int bit = 1 << int(kind);
    return int(kind) >= int(platform::DriveType::Floppy) && (int(types) & bit) != 0;
}

// Case of drive labels (TRzDriveComboBox::TextCase).
enum TTextCase { tcLowerCase, tcUpperCase };
