#pragma once

class DiskWatcher;
class DocumentModel;
class EditorLink;
class FileChooser;
class Prompter;
class SessionStore;
class TagStore;

// What every document flow works on. One instance is shared by the flows of
// a workspace: the collaborators set later (the window's editors and file
// panels, another prompter) reach all of them at once.
struct DocumentFlowParts {
    DocumentModel& documents;
    TagStore& tags;
    SessionStore& session;
    DiskWatcher& disk;
    // Where questions are asked; never null.
    Prompter* prompter;
    EditorLink* editorLink = nullptr;
    FileChooser* fileChooser = nullptr;
};
