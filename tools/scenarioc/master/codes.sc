// The numbers the program exchanges with the engine, one name each. Compiled
// first; a name compiles to its number. Numbers whose meaning the engine does
// not give stay numbers in the flows.

// Activities: the code "main" is run with. Menu entries post most of them
// (named after the entry), the engine's managers the rest.
const kActivityFavoriteAlbum = 70;          // add-a-favorite menu: "My Albums"
const kActivityCameraReviewMedia = 71;      // camera options: "Review/Send Media"
const kActivityCapturePrint = 72;           // capture options: "Print"
const kActivityCapturePostToService = 73;   // capture options: "Post To Service"
const kActivityCaptureReviewMedia = 75;     // capture options: "Review/Send Media"
const kActivityCaptureSendToContacts = 76;  // capture options: "Send To Contacts"
const kActivityCaptureUpload = 77;          // capture options: "Upload"
const kActivityCaptureVoiceSend = 78;       // capture options: "Voice Send To Contacts"
const kActivityDeleteMedia = 79;
const kActivityBrowseMedia = 80;
const kActivityFavorite = 82;
const kActivityMessagingTessel = 83;        // messaging menu: "Tessel" (the inbox)
const kActivityMyAlbums = 86;
const kActivityPrint = 87;
const kActivityPicturesTessel = 88;         // pictures menu: "Tessel"
const kActivitySelectMedia = 93;
const kActivityScreenSaverMedia = 94;       // screen-saver media menu: "My Albums"
const kActivitySendToContacts = 95;
const kActivitySendToGeneric = 97;
const kActivitySendSms = 98;
const kActivityYouHaveMail = 100;
const kActivityShowMessage = 101;           // the event names a message
const kActivityShowThread = 102;            // the event names a thread
const kActivityAddCoolSites = 103;          // fun menu: "Tap to Add"
const kActivityCoolSite = 104;              // the event's text is the cool site's id
const kActivityAccountInfo = 107;
const kActivityMediaBrowseInfo = 108;
const kActivityNewMessage = 109;            // a message arrived; the event names it
const kActivityPasswordPrompt = 112;
const kActivityChoicePrompt = 113;
const kActivitySendFailed = 114;            // the report of failed outbound messages
const kActivityDataCharge = 115;

// UI-job events: what the current UI job reports to the program, the codes a
// wait takes. Besides back, exit and done they name the step the user chose.
const kEvFailed = 7;                // ended after an error screen was answered
const kEvBack = 8;
const kEvExit = 9;                  // the whole activity ends
const kEvDone = 10;                 // done or Continue; posted to a job, it finishes it
const kEvCancel = 17;               // Cancel on the composer
const kEvAlbumList = 22;
const kEvAssignMedia = 23;
const kEvAssignAudio = 24;
const kEvCompose = 26;
const kEvPickRecipients = 27;
const kEvFolderInbox = 28;
const kEvFolderOutbox = 29;         // the pending messages
const kEvFolderPremium = 30;
const kEvFolderSaved = 31;
const kEvFolderSent = 32;
const kEvForward = 33;
const kEvPickMedia = 34;
const kEvPickAlbum = 36;
const kEvPrintMedia = 37;
const kEvRetailPickup = 38;         // print menu
const kEvHomeDelivery = 39;
const kEvUploadWhere = 40;          // sent by the program to itself: choose where to upload
const kEvMyUploads = 41;            // uploads menu
const kEvMyAlbums = 42;
const kEvPostToService = 43;
const kEvReply = 44;
const kEvReplyAll = 45;
const kEvReplyToThread = 46;
const kEvSaveMedia = 48;
const kEvAlbumPicked = 49;          // also a store chosen in the media-kind menu
const kEvLocalAlbum = 50;           // a phone or memory-card album picked
const kEvOnlineAlbum = 51;
const kEvTextOnly = 52;
const kEvView = 53;
const kEvViewMedia = 54;
const kEvViewInbox = 55;            // View on a message summary, by the message's kind
const kEvViewPremium = 56;
const kEvOpenThread = 57;
const kEvVoiceSendToContacts = 58;
const kEvBackGoForward = 60;        // back from a message list whose "go_forward" is set
const kEvEditSetup = 61;            // destination launcher menu
const kEvUpload = 62;
const kEvLaunchBrowser = 63;
const kEvLauncherCancel = 64;
const kEvAddCoolSite = 65;          // upload destinations
const kEvCoolSite = 66;
const kEvConfirmUpload = 67;

// Posted by the program to its current UI job: resume events
// ("_set_resume_event") answer a step the job handed over.
const kResumeSucceeded = 6;
const kResumeAfterSubflow = 12;     // also posted whenever a screen function returns into one
const kResumeAbandoned = 13;
// A popup's exit value, passed on to the job of the run it interrupted.
const kSignalExit = 15;
const kSignalBack = 16;

// UI-job type ids ("@switch_to_uijob").
const kStorageLocationJobType = 1;
const kAudioJobType = 2;
const kAlertChoiceJobType = 3;
const kContactChooserJobType = 4;
const kDestinationChooserJobType = 5;
const kDestListRefreshJobType = 6;
const kFavoritePositionJobType = 8;
const kFolderListJobType = 9;
const kComposeJobType = 10;
const kMediaAssignJobType = 12;
const kAlbumSummaryJobType = 13;
const kMediaDeleteJobType = 14;
const kLocalMediaPickerJobType = 15;
const kCaptureTypeJobType = 16;
const kCaptureHandOverJobType = 17;     // hands the captured media over, no screen
const kDestAlbumJobType = 18;           // queues the selection for an album upload
const kScenarioSupportJobType = 19;     // the media-kind menu
const kMenuChoiceJobType = 20;
const kInboxListJobType = 21;
const kOutboxListJobType = 22;
const kPremiumListJobType = 23;
const kSavedListJobType = 24;
const kSentListJobType = 25;
const kThreadMessagesJobType = 26;
const kMediaModifyJobType = 27;
const kMessageSummaryJobType = 28;
const kMessageSummaryGetterJobType = 29;
const kThreadListJobType = 30;
const kInboxViewJobType = 31;
const kPremiumViewJobType = 32;
const kSavedViewJobType = 33;
const kSentViewJobType = 34;
const kThreadViewJobType = 35;
const kAlbumListJobType = 36;
const kAlbumPickerJobType = 37;
const kOnlineMediaBrowseJobType = 38;
const kOnlineMediaPickerJobType = 39;
const kPasswordJobType = 40;
const kFailureJobType = 41;
const kSpinnerJobType = 43;
const kPreselectedAlbumJobType = 45;
const kUploadScenarioJobType = 46;

// Composer operations ("gc_op", the second argument of s_generic_composer).
const kComposeWithMedia = 0;
const kComposeFromMessage = 1;      // extra: the message summary
const kComposeAlbumShare = 2;       // extra: the album share summary
const kComposeConfigure = 3;        // a destination's configuration scenario; extra: its id

// Location kinds, the low 16 bits of a packed media location
// ("_storage_location_to_locus"). The packed location 1 (kind 1, no store)
// stands for online media.
const kLocationKindOnline = 1;
const kLocationKindStoreKind1 = 3;  // a store in the phone
const kLocationKindStoreKind2 = 4;  // a store on the memory card

// Message boxes ("folder_location").
const kBoxInbox = 0;
const kBoxSent = 1;
const kBoxSaved = 2;
const kBoxPending = 3;
const kBoxPremium = 4;

// What the media-modify job does with a message's media ("mpp_op").
const kMediaModifyAssign = 0;
const kMediaModifyPrint = 1;
const kMediaModifySave = 2;

// The built-in menus of the menu-choice job ("menu_type_id").
const kMenuTypePrint = 0;
const kMenuTypeUploads = 1;
const kMenuTypeDestLauncher = 2;
const kMenuTypeNoBrowserDestLauncher = 3;

// What "_ev_cracker" reads from an activity event.
const kCrackPayloadWord = 0;        // its second payload word
const kCrackPayloadText = 1;

// The settings "_get_internal_config" reads.
const kInternalConfigAccountMgmt = 0;   // "pers.account_mgmt"
const kInternalConfigMediaBrowse = 1;   // "pers.media_browse"
