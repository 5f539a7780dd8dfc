// The variables a Quake III Arena 1.32 dedicated server starts with, in the
// order the engine registers them: common and file system first, then the
// network and server, the game module and the bot library, and last the
// client settings that the shared q3config.cfg of a Windows install carries
// into a dedicated server (which is why its WRITECONFIG dump runs to a few
// hundred lines).
//
// Flag letters: A archive, S server info, U user info, Y system info,
// I init (command line only), L latched until the next map, R read-only,
// C cheat-protected.
#include "q3sim/Cvars.h"

namespace q3sim {

namespace {

struct Default {
    const char* name;
    const char* value;
    const char* flags;
};

unsigned parseFlags(const char* letters)
{
    unsigned flags = 0;
    for (const char* p = letters; *p; ++p) {
        switch (*p) {
        case 'A': flags |= CvarArchive; break;
        case 'S': flags |= CvarServerInfo; break;
        case 'U': flags |= CvarUserInfo; break;
        case 'Y': flags |= CvarSystemInfo; break;
        case 'I': flags |= CvarInit; break;
        case 'L': flags |= CvarLatch; break;
        case 'R': flags |= CvarRom; break;
        case 'C': flags |= CvarCheat; break;
        default: break;
        }
    }
    return flags;
}

// The engine and server side.
const Default kEngine[] = {
    {"developer", "0", ""}, {"dedicated", "1", "R"}, {"com_hunkMegs", "56", "AL"}, {"com_zoneMegs", "16", "AL"},
    {"com_maxfps", "85", "A"}, {"com_blood", "1", "A"}, {"logfile", "0", ""}, {"timescale", "1", "C"},
    {"fixedtime", "0", "C"}, {"com_showtrace", "0", "C"}, {"viewlog", "0", "C"}, {"com_speeds", "0", ""},
    {"timedemo", "0", "C"}, {"com_cameraMode", "0", "C"}, {"cl_paused", "0", "R"}, {"sv_paused", "0", "R"},
    {"com_sv_running", "1", "R"}, {"com_cl_running", "0", "R"}, {"com_buildScript", "0", ""},
    {"com_introplayed", "1", "A"}, {"fs_debug", "0", ""}, {"fs_copyfiles", "0", "I"}, {"fs_cdpath", "", "I"},
    {"fs_basepath", "", "I"}, {"fs_homepath", "", "I"}, {"fs_basegame", "", "I"}, {"fs_game", "", "IY"},
    {"fs_restrict", "", "I"}, {"sv_pure", "1", "Y"}, {"journal", "0", "I"}, {"version", "", "RS"},
    {"protocol", "68", "SR"}, {"username", "operator", ""}, {"arch", "linux i386", ""},
    {"net_noudp", "0", "AL"}, {"net_noipx", "0", "AL"}, {"net_socksEnabled", "0", "AL"},
    {"net_socksServer", "", "AL"}, {"net_socksPort", "1080", "AL"}, {"net_socksUsername", "", "AL"},
    {"net_socksPassword", "", "AL"}, {"net_ip", "0.0.0.0", "L"}, {"net_port", "27960", "L"},
    {"net_qport", "0", "I"}, {"showpackets", "0", ""}, {"showdrop", "0", ""},
    {"sv_fps", "20", ""}, {"sv_timeout", "200", ""}, {"sv_zombietime", "2", ""},
    {"sv_hostname", "noname", "SA"}, {"sv_maxclients", "8", "SLA"}, {"sv_privateClients", "0", "S"},
    {"sv_privatePassword", "", ""}, {"sv_minRate", "0", "AS"}, {"sv_maxRate", "0", "AS"},
    {"sv_minPing", "0", "AS"}, {"sv_maxPing", "0", "AS"}, {"sv_floodProtect", "1", "AS"},
    {"sv_allowAnonymous", "0", "S"}, {"sv_allowDownload", "0", "S"}, {"sv_master1", "master3.idsoftware.com", ""},
    {"sv_master2", "", "A"}, {"sv_master3", "", "A"}, {"sv_master4", "", "A"}, {"sv_master5", "", "A"},
    {"sv_reconnectlimit", "3", ""}, {"sv_showloss", "0", ""}, {"sv_padPackets", "0", ""},
    {"sv_killserver", "0", ""}, {"sv_mapChecksum", "", "R"}, {"sv_lanForceRate", "1", "A"},
    {"sv_strictAuth", "1", "A"}, {"sv_serverid", "0", "YR"}, {"sv_cheats", "0", "YR"},
    {"sv_paks", "", "YR"}, {"sv_pakNames", "", "YR"}, {"sv_referencedPaks", "", "YR"},
    {"sv_referencedPakNames", "", "YR"}, {"rconPassword", "", ""}, {"nextmap", "", ""},
    {"sv_keywords", "", "S"}, {"mapname", "nomap", "SR"},
    {"timelimit", "0", "SA"}, {"fraglimit", "20", "SA"}, {"dmflags", "0", "SA"},
    {"g_gametype", "0", "SUL"}, {"sv_running", "1", "R"},
    {"vm_cgame", "2", "A"}, {"vm_game", "2", "A"}, {"vm_ui", "2", "A"},
    {"cm_noAreas", "0", "C"}, {"cm_noCurves", "0", "C"}, {"cm_playerCurveClip", "1", "AC"},
    {"sv_punkbuster", "0", "SA"},
};

// The game module (baseq3 qagame).
const Default kGame[] = {
    {"gamename", "baseq3", "SR"}, {"gamedate", "Oct  7 2002", "R"}, {"g_restarted", "0", "R"},
    {"g_maxGameClients", "0", "SLA"}, {"capturelimit", "8", "SA"},
    {"g_synchronousClients", "0", "Y"}, {"g_friendlyFire", "0", "A"}, {"g_teamAutoJoin", "0", "A"},
    {"g_teamForceBalance", "0", "A"}, {"g_warmup", "20", "A"}, {"g_doWarmup", "0", "A"},
    {"g_log", "games.log", "A"}, {"g_logSync", "0", "A"}, {"g_password", "", "U"},
    {"g_banIPs", "", "A"}, {"g_filterBan", "1", "A"}, {"g_needpass", "0", "SR"},
    {"dedicated", "1", ""}, {"g_speed", "320", ""}, {"g_gravity", "800", ""}, {"g_knockback", "1000", ""},
    {"g_quadfactor", "3", ""}, {"g_weaponrespawn", "5", ""}, {"g_weaponTeamRespawn", "30", ""},
    {"g_forcerespawn", "20", ""}, {"g_inactivity", "0", ""}, {"g_debugMove", "0", ""},
    {"g_debugDamage", "0", ""}, {"g_debugAlloc", "0", ""}, {"g_motd", "", ""},
    {"g_blood", "1", ""}, {"g_podiumDist", "80", ""}, {"g_podiumDrop", "70", ""},
    {"g_allowVote", "1", "A"}, {"g_listEntity", "0", ""}, {"g_smoothClients", "1", ""},
    {"pmove_fixed", "0", "Y"}, {"pmove_msec", "8", "Y"}, {"g_rankings", "0", ""},
    {"bot_enable", "1", "L"},
};

// The bot library.
const Default kBots[] = {
    {"bot_developer", "0", "C"}, {"bot_debug", "0", "C"}, {"bot_maxdebugpolys", "2", ""},
    {"bot_groundonly", "1", ""}, {"bot_reachability", "0", ""}, {"bot_visualizejumppads", "0", "C"},
    {"bot_forceclustering", "0", ""}, {"bot_forcereachability", "0", ""}, {"bot_forcewrite", "0", ""},
    {"bot_aasoptimize", "0", ""}, {"bot_saveroutingcache", "0", ""}, {"bot_thinktime", "100", "C"},
    {"bot_reloadcharacters", "0", ""}, {"bot_testichat", "0", ""}, {"bot_testrchat", "0", ""},
    {"bot_testsolid", "0", "C"}, {"bot_testclusters", "0", "C"}, {"bot_fastchat", "0", ""},
    {"bot_nochat", "0", ""}, {"bot_pause", "0", "C"}, {"bot_report", "0", "C"}, {"bot_grapple", "0", ""},
    {"bot_rocketjump", "1", ""}, {"bot_challenge", "0", ""}, {"bot_minplayers", "0", "S"},
    {"bot_interbreedchar", "", "C"}, {"bot_interbreedbots", "10", "C"}, {"bot_interbreedcycle", "20", "C"},
    {"bot_interbreedwrite", "", "C"}, {"bot_memorydump", "0", "C"},
};

// Client settings that the install's q3config.cfg brings along; a dedicated
// server keeps them and writes them back.
const Default kClient[] = {
    {"cl_maxpackets", "30", "A"}, {"cl_packetdup", "1", "A"}, {"cl_timeNudge", "0", "A"},
    {"cl_nodelta", "0", ""}, {"cl_run", "1", "A"}, {"cl_yawspeed", "140", "A"}, {"cl_pitchspeed", "140", "A"},
    {"cl_anglespeedkey", "1.5", ""}, {"cl_maxPing", "800", "A"}, {"cl_allowDownload", "0", "A"},
    {"cl_motd", "1", ""}, {"cl_mouseAccel", "0", "A"}, {"cl_freelook", "1", "A"}, {"cl_showMouseRate", "0", ""},
    {"cl_conXOffset", "0", ""}, {"cl_inGameVideo", "1", "A"}, {"cl_serverStatusResendTime", "750", ""},
    {"cl_punkbuster", "0", "A"}, {"cl_anonymous", "0", "AU"}, {"cl_guidServerUniq", "1", "A"},
    {"m_pitch", "0.022000", "A"}, {"m_yaw", "0.022", "A"}, {"m_forward", "0.25", "A"}, {"m_side", "0.25", "A"},
    {"m_filter", "0", "A"}, {"sensitivity", "5", "A"}, {"name", "UnnamedPlayer", "UA"}, {"rate", "25000", "UA"},
    {"snaps", "20", "UA"}, {"model", "sarge", "UA"}, {"headmodel", "sarge", "UA"}, {"team_model", "james", "UA"},
    {"team_headmodel", "*james", "UA"}, {"g_redTeam", "Stroggs", "SA"}, {"g_blueTeam", "Pagans", "SA"},
    {"color1", "4", "UA"}, {"color2", "5", "UA"}, {"handicap", "100", "UA"}, {"sex", "male", "UA"},
    {"cl_voip", "0", "A"}, {"password", "", "U"}, {"cg_predictItems", "1", "UA"}, {"cg_viewsize", "100", "A"},
    {"cg_stereoSeparation", "0.4", "A"}, {"cg_shadows", "1", "A"}, {"cg_gibs", "1", "A"}, {"cg_draw2D", "1", "A"},
    {"cg_drawStatus", "1", "A"}, {"cg_drawTimer", "0", "A"}, {"cg_drawFPS", "0", "A"},
    {"cg_drawSnapshot", "0", "A"}, {"cg_draw3dIcons", "1", "A"}, {"cg_drawIcons", "1", "A"},
    {"cg_drawAmmoWarning", "1", "A"}, {"cg_drawAttacker", "1", "A"}, {"cg_drawCrosshair", "4", "A"},
    {"cg_drawCrosshairNames", "1", "A"}, {"cg_drawRewards", "1", "A"}, {"cg_crosshairSize", "24", "A"},
    {"cg_crosshairHealth", "1", "A"}, {"cg_crosshairX", "0", "A"}, {"cg_crosshairY", "0", "A"},
    {"cg_brassTime", "2500", "A"}, {"cg_simpleItems", "0", "A"}, {"cg_addMarks", "1", "A"},
    {"cg_lagometer", "1", "A"}, {"cg_railTrailTime", "400", "A"}, {"cg_gun_x", "0", "A"},
    {"cg_gun_y", "0", "A"}, {"cg_gun_z", "0", "A"}, {"cg_drawGun", "1", "A"}, {"cg_zoomfov", "22.5", "A"},
    {"cg_fov", "90", "A"}, {"cg_autoswitch", "1", "A"}, {"cg_ignore", "0", ""}, {"cg_drawTeamOverlay", "0", "A"},
    {"cg_teamOverlayUserinfo", "0", "UR"}, {"cg_stats", "0", ""}, {"cg_drawFriend", "1", "A"},
    {"cg_teamChatsOnly", "0", "A"}, {"cg_noVoiceChats", "0", "A"}, {"cg_noVoiceText", "0", "A"},
    {"cg_deferPlayers", "1", "A"}, {"cg_teamChatTime", "3000", "A"}, {"cg_teamChatHeight", "0", "A"},
    {"cg_forceModel", "0", "A"}, {"cg_cameraOrbitDelay", "50", "A"}, {"cg_scorePlums", "1", "UA"},
    {"cg_smoothClients", "0", "UA"}, {"cg_noTaunt", "0", "A"}, {"cg_noProjectileTrail", "0", "A"},
    {"cg_trueLightning", "0.0", "A"}, {"cg_oldRail", "1", "A"}, {"cg_oldRocket", "1", "A"},
    {"cg_oldPlasma", "1", "A"}, {"cg_marks", "1", "A"}, {"cg_bobup", "0.005", "A"}, {"cg_bobpitch", "0.002", "A"},
    {"cg_bobroll", "0.002", "A"}, {"cg_runpitch", "0.002", "A"}, {"cg_runroll", "0.005", "A"},
    {"cg_swingSpeed", "0.3", "C"}, {"cg_errordecay", "100", ""}, {"cg_nopredict", "0", ""},
    {"cg_centertime", "3", "C"}, {"cg_thirdPersonRange", "40", "C"}, {"cg_thirdPersonAngle", "0", "C"},
    {"cg_thirdPerson", "0", ""}, {"cg_footsteps", "1", "C"}, {"cg_tracerchance", "0.4", "C"},
    {"cg_tracerwidth", "1", "C"}, {"cg_tracerlength", "100", "C"}, {"cg_hudFiles", "ui/hud.txt", "A"},
    {"cg_buildScript", "0", ""}, {"cg_paused", "0", "R"}, {"cg_blood", "1", "A"}, {"cg_timescaleFadeEnd", "1", ""},
    {"cg_timescaleFadeSpeed", "0", ""}, {"cg_timescale", "1", ""},
    {"com_soundMegs", "8", "AL"}, {"s_volume", "0.8", "A"}, {"s_musicvolume", "0.25", "A"},
    {"s_separation", "0.5", "A"}, {"s_doppler", "1", "A"}, {"s_khz", "22", "A"}, {"s_mixahead", "0.2", "A"},
    {"s_mixPreStep", "0.05", "A"}, {"s_show", "0", "C"}, {"s_testsound", "0", "C"},
    {"r_allowExtensions", "1", "AL"}, {"r_ext_compressed_textures", "0", "AL"}, {"r_ext_gamma_control", "1", "AL"},
    {"r_ext_multitexture", "1", "AL"}, {"r_ext_compiled_vertex_array", "1", "AL"},
    {"r_ext_texture_env_add", "1", "AL"}, {"r_picmip", "1", "AL"}, {"r_roundImagesDown", "1", "AL"},
    {"r_colorMipLevels", "0", "L"}, {"r_detailtextures", "1", "AL"}, {"r_texturebits", "0", "AL"},
    {"r_colorbits", "0", "AL"}, {"r_stereo", "0", "AL"}, {"r_stencilbits", "8", "AL"}, {"r_depthbits", "0", "AL"},
    {"r_overBrightBits", "1", "AL"}, {"r_ignorehwgamma", "0", "AL"}, {"r_mode", "3", "AL"},
    {"r_fullscreen", "1", "AL"}, {"r_customwidth", "1600", "AL"}, {"r_customheight", "1024", "AL"},
    {"r_customaspect", "1", "AL"}, {"r_simpleMipMaps", "1", "AL"}, {"r_vertexLight", "0", "AL"},
    {"r_uiFullScreen", "0", ""}, {"r_subdivisions", "4", "AL"}, {"r_smp", "0", "AL"},
    {"r_ignoreFastPath", "1", "AL"}, {"r_fullbright", "0", "LC"}, {"r_mapOverBrightBits", "2", "L"},
    {"r_intensity", "1", "L"}, {"r_singleShader", "0", "LC"}, {"r_lodCurveError", "250", "AC"},
    {"r_lodbias", "0", "A"}, {"r_flares", "0", "A"}, {"r_znear", "4", "C"}, {"r_zproj", "64", "A"},
    {"r_stereoSeparation", "64", "A"}, {"r_ignoreGLErrors", "1", "A"}, {"r_fastsky", "0", "A"},
    {"r_inGameVideo", "1", "A"}, {"r_drawSun", "0", "A"}, {"r_dynamiclight", "1", "A"},
    {"r_dlightBacks", "1", "A"}, {"r_finish", "0", "A"}, {"r_textureMode", "GL_LINEAR_MIPMAP_NEAREST", "A"},
    {"r_swapInterval", "0", "A"}, {"r_gamma", "1", "A"}, {"r_facePlaneCull", "1", "A"},
    {"r_railWidth", "16", "A"}, {"r_railCoreWidth", "6", "A"}, {"r_railSegmentLength", "32", "A"},
    {"r_primitives", "0", "A"}, {"r_ambientScale", "0.6", "C"}, {"r_directedScale", "1", "C"},
    {"r_anaglyphMode", "0", "A"}, {"r_displayRefresh", "0", "L"}, {"r_maskMinidriver", "0", "L"},
    {"r_glDriver", "opengl32", "AL"}, {"r_lastValidRenderer", "", "A"}, {"r_railSegmentLength", "32", "A"},
    {"in_mouse", "1", "AL"}, {"in_joystick", "0", "AL"}, {"in_joyBallScale", "0.02", "A"},
    {"in_debugJoystick", "0", ""}, {"in_midi", "0", "A"}, {"in_midiport", "1", "A"}, {"in_midichannel", "1", "A"},
    {"in_mididevice", "0", "A"}, {"in_logitechbug", "0", "A"}, {"joy_threshold", "0.15", "A"},
    {"j_pitch", "0.022", "A"}, {"j_yaw", "-0.022", "A"}, {"j_forward", "-0.25", "A"}, {"j_side", "0.25", "A"},
    {"j_pitch_axis", "3", "A"}, {"j_yaw_axis", "4", "A"}, {"j_forward_axis", "1", "A"}, {"j_side_axis", "0", "A"},
    {"ui_ffa_fraglimit", "20", "A"}, {"ui_ffa_timelimit", "0", "A"}, {"ui_tourney_fraglimit", "0", "A"},
    {"ui_tourney_timelimit", "15", "A"}, {"ui_team_fraglimit", "0", "A"}, {"ui_team_timelimit", "20", "A"},
    {"ui_team_friendly", "1", "A"}, {"ui_ctf_capturelimit", "8", "A"}, {"ui_ctf_timelimit", "30", "A"},
    {"ui_ctf_friendly", "0", "A"}, {"ui_arenasFile", "", "AL"}, {"ui_botsFile", "", "AL"},
    {"ui_spScores1", "", "A"}, {"ui_spScores2", "", "A"}, {"ui_spScores3", "", "A"}, {"ui_spScores4", "", "A"},
    {"ui_spScores5", "", "A"}, {"ui_spAwards", "", "A"}, {"ui_spVideos", "", "A"}, {"ui_spSkill", "2", "AL"},
    {"ui_spSelection", "", "R"}, {"ui_browserMaster", "0", "A"}, {"ui_browserGameType", "0", "A"},
    {"ui_browserSortKey", "4", "A"}, {"ui_browserShowFull", "1", "A"}, {"ui_browserShowEmpty", "1", "A"},
    {"ui_brassTime", "2500", "A"}, {"ui_drawCrosshair", "4", "A"}, {"ui_drawCrosshairNames", "1", "A"},
    {"ui_marks", "1", "A"}, {"ui_cdkeychecked", "0", "R"}, {"server1", "", "A"}, {"server2", "", "A"},
    {"server3", "", "A"}, {"server4", "", "A"}, {"server5", "", "A"}, {"server6", "", "A"},
    {"server7", "", "A"}, {"server8", "", "A"}, {"server9", "", "A"}, {"server10", "", "A"},
    {"server11", "", "A"}, {"server12", "", "A"}, {"server13", "", "A"}, {"server14", "", "A"},
    {"server15", "", "A"}, {"server16", "", "A"}, {"g_spScores1", "", "A"}, {"g_spScores2", "", "A"},
    {"g_spScores3", "", "A"}, {"g_spScores4", "", "A"}, {"g_spScores5", "", "A"}, {"g_spAwards", "", "A"},
    {"g_spVideos", "", "A"}, {"g_spSkill", "2", "AL"}, {"g_arenasFile", "", "IR"}, {"g_botsFile", "", "IR"},
    {"com_hunkmegs", "56", "AL"}, {"cl_debugMove", "0", ""}, {"cl_showSend", "0", "C"},
    {"cl_showTimeDelta", "0", "C"}, {"cl_freezeDemo", "0", "C"}, {"activeAction", "", "C"},
    {"cl_avidemo", "0", ""}, {"cl_forceavidemo", "0", ""}, {"cl_aviFrameRate", "25", "A"},
    {"con_notifytime", "3", ""}, {"con_conspeed", "3", ""}, {"scr_conspeed", "3", ""},
    {"cl_cdkey", "123456789", ""}, {"cl_mouseAccelOffset", "5", "A"},
    {"ui_singlePlayerActive", "0", ""}, {"ui_smallFont", "0.25", "A"}, {"ui_bigFont", "0.4", "A"},
    {"cg_viewsize", "100", "A"}, {"s_initsound", "1", ""}, {"s_musicVolume", "0.25", "A"},
    {"r_preloadTextures", "0", "A"}, {"r_nobind", "0", "C"}, {"r_showImages", "0", ""},
    {"r_debugLight", "0", ""}, {"r_debugSort", "0", "C"}, {"r_printShaders", "0", ""},
    {"r_saveFontData", "0", ""}, {"r_nocurves", "0", "C"}, {"r_drawworld", "1", "C"},
    {"r_lightmap", "0", ""}, {"r_portalOnly", "0", "C"}, {"r_flareSize", "40", "C"},
    {"r_flareFade", "7", "C"}, {"r_flareCoeff", "150", "C"}, {"r_skipBackEnd", "0", "C"},
    {"r_measureOverdraw", "0", "C"}, {"r_nocull", "0", "C"}, {"r_novis", "0", "C"},
    {"r_showcluster", "0", "C"}, {"r_speeds", "0", "C"}, {"r_verbose", "0", "C"},
    {"r_logFile", "0", "C"}, {"r_debugSurface", "0", "C"}, {"r_nobind", "0", "C"},
    {"r_showtris", "0", "C"}, {"r_showsky", "0", "C"}, {"r_shownormals", "0", "C"},
    {"r_clear", "0", "C"}, {"r_offsetFactor", "-1", "C"}, {"r_offsetUnits", "-2", "C"},
    {"r_drawBuffer", "GL_BACK", "C"}, {"r_lockpvs", "0", "C"}, {"r_noportals", "0", "C"},
    {"r_shadows", "0", ""}, {"r_maxpolys", "600", ""}, {"r_maxpolyverts", "3000", ""},
    {"cg_drawAmmoWarning", "1", "A"}, {"cl_guid", "", "R"}, {"cl_autoRecordDemo", "0", "A"},
    {"com_ansiColor", "0", "A"}, {"com_busyWait", "0", "A"}, {"com_maxfpsUnfocused", "0", "A"},
    {"com_maxfpsMinimized", "0", "A"}, {"con_autoclear", "1", "A"}, {"cl_consoleKeys", "~ ` 0x7e 0x60", "A"},
    {"cl_mouseAccelStyle", "0", "A"}, {"cl_autoswitch", "1", "A"}, {"cg_chatBeep", "1", "A"},
    {"cg_teamChatBeep", "1", "A"}, {"cg_drawSpeed", "0", "A"}, {"cg_weaponBar", "1", "A"},
    {"cg_crosshairColor", "7", "A"}, {"cg_crosshairPulse", "1", "A"}, {"cg_kickScale", "1.0", "A"},
    {"cg_fovAdjust", "0", "A"}, {"cg_muzzleFlash", "1", "A"}, {"cg_leiSuperGoreyAwesome", "0", "C"},
};

} // namespace

const char* const kVersion = "Q3 1.32 linux-i386 Oct  7 2002";

void CvarTable::registerDefaults(const std::string& basePath)
{
    auto registerAll = [&](const Default* first, const Default* last) {
        for (const Default* d = first; d != last; ++d) {
            // A second mention of a name keeps the first registration.
            if (find(d->name))
                continue;
            std::string value = d->value;
            if (value.empty() && (std::string_view(d->name) == "fs_basepath" || std::string_view(d->name) == "fs_homepath"))
                value = basePath;
            else if (std::string_view(d->name) == "version")
                value = kVersion;
            get(d->name, value, parseFlags(d->flags));
        }
    };
    registerAll(std::begin(kEngine), std::end(kEngine));
    registerAll(std::begin(kGame), std::end(kGame));
    registerAll(std::begin(kBots), std::end(kBots));
    registerAll(std::begin(kClient), std::end(kClient));
}

} // namespace q3sim
