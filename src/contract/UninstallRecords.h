#pragma once

// The record kinds of the uninstall log, Uninstall.log: what Setup.exe did, written beside
// Uninstall.exe and replayed backwards by Uninstall.exe (and by Setup.exe itself to roll back a
// failed install). Each record is a line whose first field is its kind's letter:
//
//   T key text                 a translated text for the uninstaller's messages
//   N name                     the application's name
//   W address                  the web page to open after uninstalling
//   D folder                   a folder setup created (removed if empty)
//   F file                     an installed file marked for uninstall
//   S file                     a shortcut
//   R root subkey name         a registry value marked for uninstall
//   K root subkey created      a key setup created; "created" is the first part that was new
//   E file                     an INI file setup created (removed once it holds no section)
//   I file section key         an INI value marked for uninstall
//   A root ext progid previous a file association; "previous" is the extension's old class
//   X file                     a registered OCX/DLL (unregistered before its file goes)
//   P root subkey              the Add/Remove Programs entry (removed last)
//
// The letters are stored in logs on end users' machines: they never change meaning.

namespace corvane::contract {

enum class LogKind : char {
    Text = 'T',
    Name = 'N',
    WebPage = 'W',
    Folder = 'D',
    File = 'F',
    Shortcut = 'S',
    RegistryValue = 'R',
    RegistryKey = 'K',
    IniFile = 'E',
    IniValue = 'I',
    Association = 'A',
    Server = 'X',
    ProgramsEntry = 'P',
};

}  // namespace corvane::contract
