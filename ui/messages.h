// Every text the desktop program shows, exactly as users know it (the spelling included).
#pragma once

namespace velt::ui::messages {

// Application and main window.
inline constexpr const char* kAppTitle = "Velt";
inline constexpr const char* kMainCaption = "VELT 1.2a (Build 321)";
inline constexpr const char* kSelectOption = "Select Option";
inline constexpr const char* kNotInstalled =
    "Velt has not been installed correctly. Please re-install Velt.";
inline constexpr const char* kHelpFileName = "Velt.chm";
inline constexpr const char* kHelpNotOpened = "The help file could not be opened: ";
inline constexpr const char* kHelpNorCopy =
    "\nIt is missing or no viewer for it was found, and its HTML copy could not be opened "
    "either: ";
inline constexpr const char* kHelpInstead = "The help file ";
inline constexpr const char* kHelpInsteadCopy = " cannot be shown here; its HTML copy ";
inline constexpr const char* kHelpInsteadOpened = " was opened instead.";
// After the system's text of a failed read at start: which value, where, and what follows.
inline constexpr const char* kValueNotRead = "The value \"";
inline constexpr const char* kValueNotReadIn = "\" could not be read from ";
inline constexpr const char* kValueNotReadAfter =
    ". It and the values after it have their defaults; OK in VELT Options saves the values "
    "shown.";
inline constexpr const char* kPathNotFound =
    "The value \"Path\" (the installation folder) is missing or empty in ";
inline constexpr const char* kUnknownError = "The work ended with an unexpected error.";

// Menus.
inline constexpr const char* kMenuFile = "File";
inline constexpr const char* kMenuOptions = "VELT Options...";
inline constexpr const char* kMenuExit = "Exit";
inline constexpr const char* kMenuEncrypt = "Encrypt";
inline constexpr const char* kMenuEncryptFile = "Encrypt File...";
inline constexpr const char* kMenuEncryptDir = "Encypt Directory";
inline constexpr const char* kMenuDecrypt = "Decrypt";
inline constexpr const char* kMenuDecryptFile = "Decrypt File...";
inline constexpr const char* kMenuDecryptDir = "Decrypt Directory";
inline constexpr const char* kMenuHelp = "Help";
inline constexpr const char* kMenuAbout = "About Velt";
inline constexpr const char* kMenuHelpFile = "VELT Help";

// Hover texts of the tool buttons.
inline constexpr const char* kHoverEncryptFile = "Encrypt a file";
inline constexpr const char* kHoverDecryptFile = "Decrypt a file";
inline constexpr const char* kHoverEncryptDir = "Encrypt an entire Directory";
inline constexpr const char* kHoverDecryptDir = "Decrypt an entire Directory";
inline constexpr const char* kHoverOptions = "Edit VELT Options";
inline constexpr const char* kHoverExit = "Exit VELT";

// Progress panel (design texts until the work fills them in).
inline constexpr const char* kPanelStatus = "Encrypting:";
inline constexpr const char* kPanelPercent = "0%";
inline constexpr const char* kPanelTotal = "Total (14 of 1024 files)";
inline constexpr const char* kPanelTotalPercent = "100%";
inline constexpr const char* kStop = "Stop";
inline constexpr const char* kStopping = "Stopping";
inline constexpr const char* kStoppingExplained =
    "Stopping: the job ends when the current file is finished.";
// Closing the window while work runs.
inline constexpr const char* kCloseRefusedList =
    "VELT is working on a list of files and closes only when the job has ended. Stop the job? "
    "(The file being worked on is finished first; the files after it are left as they are.)";
inline constexpr const char* kCloseRefusedStopping =
    "VELT is stopping: the job ends when the current file is finished. Close the window then.";
inline constexpr const char* kCloseRefusedFile =
    "VELT is working on a file and closes only when it is finished. Close the window then.";

// Single-file commands.
inline constexpr const char* kOpenFilter = "All Files|*.*";
inline constexpr const char* kAlreadyEncrypted = "File is already encrypted";
inline constexpr const char* kEncryptionPassword = "Encryption password";
inline constexpr const char* kDecryptionPassword = "Decryption password";
inline constexpr const char* kEnterPassword = "Enter password";
inline constexpr const char* kFileEncryptedIn = "File encrypted in ";
inline constexpr const char* kFileDecryptedIn = "File Decrypted in ";
inline constexpr const char* kSecs = " secs";
inline constexpr const char* kWrongPassword = "Decryption Password supplied was incorrect.";
inline constexpr const char* kNoHeader =
    "File has no VILT Header, Please select Decryption Options.";
inline constexpr const char* kEmptyPasswordRefused =
    "Encryption needs a password, and the password given is empty. Nothing was changed.";

// Options dialog: OK when the settings key may not be written. The system's own text comes
// first, then where, why and what became of the values.
inline constexpr const char* kSettingsNotSaved = "The settings could not be saved to ";
#ifdef _WIN32
inline constexpr const char* kSettingsNeedRights =
    ": writing there needs administrator rights. To save them, run VELT as administrator, or "
    "reinstall VELT.";
#else
inline constexpr const char* kSettingsNeedRights =
    ": writing there needs the right to write that file. To save them, run VELT as its owner "
    "(the user who installed VELT), or reinstall VELT.";
#endif
inline constexpr const char* kNothingSaved =
    "Nothing was saved. The settings chosen stay in use until VELT ends.";

// Options dialog.
inline constexpr const char* kOptionsCaption = "VELT Options";
inline constexpr const char* kLabelExtension = "Default File Extension:";
inline constexpr const char* kLabelCipher = "Default De/Encryption Engine:";
inline constexpr const char* kLabelHash = "Default Hashing Engine";
inline constexpr const char* kLabelCompression = "Default De/Compression Engine";
inline constexpr const char* kLabelCompressionSpeed = "Default Compression Setting";
inline constexpr const char* kGroupEncryption = "Encryption options";
inline constexpr const char* kAddExt = "Add default file extension to encrypted files";
inline constexpr const char* kAddExtHint =
    "This will add the Default File Extension to all encrypted files. If de-selected, original "
    "files will be deleted after encryption.";
inline constexpr const char* kSecureDelete =
    "Use Data overwrite when deleting files (for Security)";
inline constexpr const char* kSecureDeleteHint =
    "This will overwrite temporary files and the original file (if selected) with random data "
    "before deletion. (Warning - Slow)";
inline constexpr const char* kDeleteOrig = "Delete original file";
inline constexpr const char* kDeleteOrigHint =
    "This will overwrite the original file with the new encrypted one.";
inline constexpr const char* kAddMeta = "Add VELT Meta Info to encrypted files";
inline constexpr const char* kAddMetaHint =
    "This will add  Meta Information to encrypted file describing which Engines to use for "
    "de-encryption.";
inline constexpr const char* kCompressFile = "Compress file before Encrypting";
inline constexpr const char* kCompressFileHint =
    "This will compress the file with the default compression engine before encrpytion.";
inline constexpr const char* kOK = "OK";
inline constexpr const char* kDefaults = "Defaults";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kDefaultExtension = "VELT";
inline constexpr const char* kNoExtensionWarning =
    "By not adding a new file extention to encrypted files, the original file will be "
    "overwritten (deleted).";
inline constexpr const char* kExtensionForbidden =
    "Default file extension cannot contain / \\ : * ? > < \" | or [Space] characters.";
inline constexpr const char* kExtensionEmpty =
    "Default file extension must be atleast 1 character.";

// Items of the compression lists (the cipher and hash items come from the catalogues).
inline constexpr const char* kCompressionEngines[] = {"ZLib"};
inline constexpr const char* kCompressionSpeeds[] = {"Default", "Fastest <Least Compression>",
                                                     "Best <Slowest Compression>"};

// Decryption options dialog.
inline constexpr const char* kDecryptionOptionsCaption = "Decryption Options";
inline constexpr const char* kLabelDecryptionEngine = "Decryption Engine:";
inline constexpr const char* kLabelHashingEngine = "Hashing Engine";
inline constexpr const char* kGroupDecryption = "Decryption options";
inline constexpr const char* kDeleteAfterDecryption = "Delete Oringial File after Decryption";
inline constexpr const char* kDontAsk = "Use these Settings for all Files (Don't Ask Again)";
inline constexpr const char* kLabelPassword = "Decryption Password:";
inline constexpr const char* kNoHeaderDeleteWarning =
    "As no VELT header is available, VELT cannot check if the file is valid after decryption. If "
    "you supply an Incorrect Decryption Password, the file will be irrecoverably corrupted and "
    "the original file lost.";

// About box.
inline constexpr const char* kAboutCaption = "About VELT";
inline constexpr const char* kProductName = "VELT V1.2a";
inline constexpr const char* kLongNameLine1 = "Versatile Encryption";
inline constexpr const char* kLongNameLine2 = "and Locking Tool";
inline constexpr const char* kVersionMajor = "Version Major: 1";
inline constexpr const char* kVersionMinor = "Version Minor: 22";
inline constexpr const char* kBuildNumber = "Build Number: 321";
inline constexpr const char* kBuildDate = "Build Date: 12/05/05";

// Directory commands: the folder pickers, the search dialog and the list jobs.
inline constexpr const char* kSelectDirectory = "Select Directory";
inline constexpr const char* kGroupEncryptionOptions = "Encryption options";
inline constexpr const char* kGroupDecryptionOptions = "Decryption Options";
inline constexpr const char* kRecEncrypt = "Recursively Encrypt files in sub-Directories";
inline constexpr const char* kRecEncryptPickerHint =
    "This recursivey encrypt all files in this directory and any nested sub-directories.";
inline constexpr const char* kRecDecrypt = "Recursively Decrypt files in sub-Directories";
inline constexpr const char* kRecDecryptHint =
    "This will recursively decrypt files in the selected directory and any nested "
    "sub-directories.";
inline constexpr const char* kDeall = "Only Decrypt Files if they contain VELT Meta Info";
inline constexpr const char* kDeallHint =
    "This will only attempt to decrypt files that contain VELT Meta Infomation.";
inline constexpr const char* kDeextBefore = "Only attempt to Decrypt files with .";
inline constexpr const char* kDeextAfter = " extension";
inline constexpr const char* kDeextHint =
    "This will only attempt to decrypt files that match the given file extension.";
inline constexpr const char* kSearching = "Searching...";
inline constexpr const char* kSearchDir = "Dir";
inline constexpr const char* kFound = "Found ";
inline constexpr const char* kFiles = " Files";
inline constexpr const char* kNoFilesFound = "0 Files found";
// Its details when files were left out for want of meta information.
inline constexpr const char* kWithoutMetaDetail =
    ": left out, it has no VELT meta information (it is not a VELT file, or was encrypted "
    "without meta information)";
inline constexpr const char* kAndMore = "... and more files like these: ";
inline constexpr const char* kWithoutMetaHow =
    "To decrypt such files anyway, untick \"Only Decrypt Files if they contain VELT Meta Info\" "
    "and choose the Decryption Engine and Hashing Engine they were encrypted with.";
// A job over a whole file system or home folder is asked about once more.
inline constexpr const char* kWideFound = " Files were found in ";
inline constexpr const char* kWideRoot = ", the whole file system. ";
inline constexpr const char* kWideHome = ", your home folder. ";
inline constexpr const char* kWideEncrypt = "Encrypt every one of them?";
inline constexpr const char* kWideDecrypt = "Decrypt every one of them?";
// Lines after the statistics, each with its count before it.
inline constexpr const char* kKeptOrig =
    " encrypted Files kept as (orig): their password could not be checked (see the details)";
inline constexpr const char* kLeftOut =
    " temporary Files of an interrupted VELT run left out (see the details)";
inline constexpr const char* kLeftOutDetail = ": left out, a temporary file of an interrupted run";
// The end of a list job: what became of each file that was not done, and of a stopped list.
inline constexpr const char* kSkippedEncryptedDetail = ": skipped, it is already encrypted";
inline constexpr const char* kSkippedDecryptedDetail =
    ": skipped, the password does not match its VELT Header (left encrypted)";
inline constexpr const char* kStoppedEncrypted = " Files encrypted, ";
inline constexpr const char* kStoppedDecrypted = " Files decrypted, ";
inline constexpr const char* kNotStarted = " Files not started (left as they were)";
inline constexpr const char* kBusyRefused =
    "VELT is already working on a list of files. Wait until it has finished, then try again.";

// Drag and drop options.
inline constexpr const char* kDragCaption = "Drag and Drop Options";
inline constexpr const char* kDragRecHint =
    "This will recursively encrypt all files in this directory and any nested sub-directorys.";
inline constexpr const char* kDragRdecHint =
    "This will recursively Decrypt all files in this directory and any nested sub-directorys.";
inline constexpr const char* kDragDeallHint =
    "This will only attempt to decrpt files that contain have VELT Meta Infomation.";
inline constexpr const char* kEncryptDragged = "Encrypt Dragged Files";
inline constexpr const char* kDecryptDragged = "Decrypt Dragged Files";
inline constexpr const char* kCancelDrag = "Cancel Drag and Drop";

// Command-line dialogs.
inline constexpr const char* kShellEncCaption = "Encryption options";
inline constexpr const char* kShellDecCaption = "Decryption options";
inline constexpr const char* kLabelEncryptionEngine = "Encryption Engine";
inline constexpr const char* kLabelCompressionEngine = "Compression Engine";
inline constexpr const char* kShellCompressFileHint =
    "This will compress the file with the selected compression engine before encryption.";
inline constexpr const char* kShellAddMetaHint =
    "This will add Meta Information to the encrypted file describing which Engines to use for "
    "decryption.";
inline constexpr const char* kRecFolders = "Recursively Encrypt Folders";
inline constexpr const char* kRecFoldersHint =
    "This will recursively encrypt selected directories and any nested sub-directories.";
inline constexpr const char* kShellDeleteOrigHint =
    "This will Delete the files after Decryption. (If VELT Meta info is used, the file will only "
    "be deleted if successfully decrypted)";
inline constexpr const char* kShellDeleteWarning =
    "When decrypting files without VELT Meta Infmation, VELT cannot check if the file is valid "
    "after decryption. If you supply an Incorrect Decryption Password, the file will be "
    "irrecoverably corrupted and the original file will be lost.";

}  // namespace velt::ui::messages
