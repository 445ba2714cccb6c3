<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ApplicationImport</name>
    <message>
        <source>应用程序</source>
        <translation>Applications</translation>
    </message>
    <message>
        <source>影音</source>
        <translation>Sound &amp; Video</translation>
    </message>
    <message>
        <source>开发</source>
        <translation>Development</translation>
    </message>
    <message>
        <source>教育</source>
        <translation>Education</translation>
    </message>
    <message>
        <source>游戏</source>
        <translation>Games</translation>
    </message>
    <message>
        <source>图像</source>
        <translation>Graphics</translation>
    </message>
    <message>
        <source>网络</source>
        <translation>Internet</translation>
    </message>
    <message>
        <source>办公</source>
        <translation>Office</translation>
    </message>
    <message>
        <source>科学</source>
        <translation>Science</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>系统</source>
        <translation>System</translation>
    </message>
    <message>
        <source>工具</source>
        <translation>Accessories</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>导入应用程序</source>
        <translation>Import Applications</translation>
    </message>
    <message numerus="yes">
        <source>已导入 %n 个应用程序。</source>
        <translation>
            <numerusform>Imported %n application.</numerusform>
            <numerusform>Imported %n applications.</numerusform>
        </translation>
    </message>
    <message>
        <source>没有新的应用程序。</source>
        <translation>No new applications.</translation>
    </message>
    <message numerus="yes">
        <source>……以及另外 %n 个</source>
        <translation>
            <numerusform>...and %n more</numerusform>
            <numerusform>...and %n more</numerusform>
        </translation>
    </message>
    <message>
        <source>这些项目的应用程序已不再安装：

%1

从目录中删除这些项目吗？</source>
        <translation>The applications of these Items are no longer installed:

%1

Remove these Items from the catalog?</translation>
    </message>
</context>
<context>
    <name>CatalogDocument</name>
    <message>
        <source>配置文件在启动时无法打开，修改无法写入。
Tarn 尝试的位置：%1</source>
        <translation>The catalog file could not be opened at start, so changes cannot be written.
Tarn looked for it at: %1</translation>
    </message>
</context>
<context>
    <name>CatalogSync</name>
    <message>
        <source>配置文件在别处被修改过，且无法保留那个版本的副本</source>
        <translation>The catalog file was changed elsewhere, and a copy of that version could not be kept</translation>
    </message>
</context>
<context>
    <name>DesktopBindingNotice</name>
    <message>
        <source>当前桌面不允许 Tarn 自行注册全局热键。请在桌面系统设置的键盘快捷键中添加一个自定义快捷键，运行下面的命令来显示或隐藏 Tarn：</source>
        <translation>This desktop does not let Tarn register a global hotkey itself. In the desktop&apos;s keyboard settings, add a custom shortcut that runs this command to show or hide Tarn:</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>显示隐藏热键( %1 )没有注册。</source>
        <translation>The show/hide hotkey (%1) is not registered.</translation>
    </message>
    <message>
        <source>复制命令</source>
        <translation>Copy Command</translation>
    </message>
    <message>
        <source>已知晓</source>
        <translation>Got It</translation>
    </message>
    <message>
        <source>没有托盘图标：按这个快捷键或再次启动 Tarn 可唤回窗口；按 %1，或右键点击窗口空白处选择“退出”，可退出 Tarn。</source>
        <translation>There is no tray icon: press that shortcut or start Tarn again to bring the window back; press %1, or right-click an empty spot in the window and choose &quot;Quit&quot;, to quit Tarn.</translation>
    </message>
</context>
<context>
    <name>DroppedUrl</name>
    <message>
        <source>网络书签</source>
        <translation>Web bookmark</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>添加的快捷方式指向的目标是无效的，可能被删除或者更改了
还要继续添加吗？</source>
        <translation>The link being added points to nothing; its target may have been deleted or changed.
Add it anyway?</translation>
    </message>
    <message>
        <source>询问</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>加入的项目是个快捷方式，要做处理吗？
是：添加为目标路径
否：不做处理</source>
        <translation>The dropped item is a link. Follow it?
Yes: add the path it points to
No: add the link itself</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>全部是</source>
        <translation>Yes to All</translation>
    </message>
</context>
<context>
    <name>FormAttribute</name>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;点击更换&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Click to change&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>网址</source>
        <translation>Web address</translation>
    </message>
    <message>
        <source>路径/网址</source>
        <translation>Path / address</translation>
    </message>
    <message>
        <source>更换</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Arguments</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>选择新文件</source>
        <translation>Choose a File</translation>
    </message>
    <message>
        <source>选择新路径</source>
        <translation>Choose a Folder</translation>
    </message>
    <message>
        <source>输入</source>
        <extracomment>The title of the box that asks for a web address.</extracomment>
        <translation>Web Address</translation>
    </message>
    <message>
        <source>输入一个可用网址</source>
        <translation>Enter a web address:</translation>
    </message>
    <message>
        <source>选择一个资源文件</source>
        <translation>Choose an Icon File</translation>
    </message>
    <message>
        <source>这个菜单项不接受文件或网址，参数不会传给它。</source>
        <translation>This menu entry takes no files or web addresses, so the arguments are not passed to it.</translation>
    </message>
</context>
<context>
    <name>FormMove</name>
    <message>
        <source>移动</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>移动到：</source>
        <translation>Move to:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>FormSettings</name>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>动作</source>
        <translation>Behavior</translation>
    </message>
    <message>
        <source>唤醒后显示的位置</source>
        <translation>Show the window at</translation>
    </message>
    <message>
        <source>上次关闭位置</source>
        <translation>Last place</translation>
    </message>
    <message>
        <source>鼠标位置</source>
        <translation>Mouse pointer</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Items</translation>
    </message>
    <message>
        <source>运行后，隐藏窗口</source>
        <translation>Hide after opening</translation>
    </message>
    <message>
        <source>登录时启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>按键</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>显示&amp;隐藏</source>
        <translation>Show/&amp;hide</translation>
    </message>
    <message>
        <source>Esc隐藏窗体</source>
        <translation>Esc hides the window</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>配置文件保存失败：%1</source>
        <translation>The settings could not be saved: %1</translation>
    </message>
    <message>
        <source>介绍：</source>
        <translation>About Tarn:</translation>
    </message>
    <message>
        <source>软件开发目的是帮助用户很好的使用系统，快速打开软件，路径，网站等。</source>
        <translation>Tarn helps you get around your system: it opens programs, folders, websites and more, quickly.</translation>
    </message>
    <message>
        <source>计算机的使用应该更简单一些。</source>
        <translation>Using a computer should be simpler.</translation>
    </message>
    <message>
        <source>系统的好朋友，你的好助手</source>
        <translation>Your system&apos;s good friend, your good helper</translation>
    </message>
    <message>
        <source>更新地址</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>：</source>
        <extracomment>Between &quot;更新地址&quot; and its link.</extracomment>
        <translation>: </translation>
    </message>
    <message>
        <source>捐助作者：</source>
        <translation>Support the author: </translation>
    </message>
    <message>
        <source>交流群：</source>
        <translation>Community: </translation>
    </message>
    <message>
        <source>暂无</source>
        <translation>none yet</translation>
    </message>
    <message>
        <source>热键不能为空，请在输入框中按下新的组合键后再应用。</source>
        <translation>The hotkey cannot be empty. Press a new key combination in the field, then apply.</translation>
    </message>
    <message>
        <source>热键( %1 )没有包含 Ctrl、Alt 或 Meta 键，注册后其他程序将无法输入这个键。
请加上 Ctrl、Alt 或 Meta 键（单独的功能键 F1-F35 可以使用）。</source>
        <translation>The hotkey (%1) has no Ctrl, Alt or Meta key: once registered, no other program could type that key.
Add Ctrl, Alt or Meta (a function key F1-F35 alone is fine).</translation>
    </message>
    <message>
        <source>已知晓</source>
        <translation>Got It</translation>
    </message>
    <message>
        <source>无法更改登录时启动：
</source>
        <translation>Could not change starting at login:
</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>设置完成</source>
        <translation>Settings applied.</translation>
    </message>
    <message>
        <source>好的</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>桌面实际绑定：等待桌面答复…</source>
        <translation>Bound by the desktop: waiting for its answer...</translation>
    </message>
    <message>
        <source>桌面实际绑定：桌面没有说明是哪个键，请在桌面的快捷键设置中查看</source>
        <translation>Bound by the desktop: it did not say which key; see its shortcut settings</translation>
    </message>
    <message>
        <source>桌面实际绑定：%1</source>
        <translation>Bound by the desktop: %1</translation>
    </message>
    <message>
        <source>版本：</source>
        <translation>Version: </translation>
    </message>
</context>
<context>
    <name>GlobalHotkey</name>
    <message>
        <source>显示或隐藏 Tarn 窗口</source>
        <translation>Show or hide the Tarn window</translation>
    </message>
</context>
<context>
    <name>ItemCells</name>
    <message>
        <source>这个分组还没有项目
右键点击空白处选择“新建”，或把文件拖到这里</source>
        <translation>This group has no items yet
Right-click an empty spot and choose &quot;New&quot;, or drop files here</translation>
    </message>
    <message>
        <source>没有找到匹配的项目</source>
        <translation>No matching items</translation>
    </message>
</context>
<context>
    <name>LocalServer</name>
    <message>
        <source>%1 已被占用。</source>
        <translation>%1 is taken.</translation>
    </message>
    <message>
        <source>已在监听。</source>
        <translation>Already listening.</translation>
    </message>
    <message>
        <source>地址太长或为空：%1</source>
        <translation>The address is empty or too long: %1</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>新建分类</source>
        <translation>New Category</translation>
    </message>
    <message>
        <source>重命名</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>新建分组</source>
        <translation>New Group</translation>
    </message>
    <message>
        <source>移动到...</source>
        <translation>Move To...</translation>
    </message>
    <message>
        <source>删除全部分组</source>
        <translation>Delete All Groups</translation>
    </message>
    <message>
        <source>清空本组</source>
        <translation>Empty This Group</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>打开文件位置</source>
        <translation>Open Containing Folder</translation>
    </message>
    <message>
        <source>复制完整路径</source>
        <translation>Copy Full Path</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>配置文件打开出现错误！</source>
        <translation>The catalog file could not be opened!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>配置文件不能完整读取，只显示了其中可用的内容。
原文件已复制到：
%1</source>
        <translation>The catalog file could not be read completely; only its usable parts are shown.
The original was copied to:
%1</translation>
    </message>
    <message>
        <source>配置文件不能完整读取，且无法复制原文件。
为保护原文件，本次运行不会写入它。</source>
        <translation>The catalog file could not be read completely, nor copied.
To protect it, Tarn will not write it during this run.</translation>
    </message>
    <message>
        <source>请先新建一个分组，再拖入项目。</source>
        <translation>Create a group first, then drop items into it.</translation>
    </message>
    <message>
        <source>询问</source>
        <translation>Question</translation>
    </message>
    <message>
        <source>新名称</source>
        <translation>New Name</translation>
    </message>
    <message>
        <source>请输入</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>确定要删除这个分类嘛</source>
        <translation>Delete this category?</translation>
    </message>
    <message>
        <source>确定要删除这个分组嘛</source>
        <translation>Delete this group?</translation>
    </message>
    <message>
        <source>确定要删除全部分组嘛</source>
        <translation>Delete all groups?</translation>
    </message>
    <message>
        <source>请先新建一个分组，再添加项目。</source>
        <translation>Create a group first, then add items to it.</translation>
    </message>
    <message>
        <source>确定要删除这个项目嘛</source>
        <translation>Delete this item?</translation>
    </message>
    <message>
        <source>确定要清空本组所有数据嘛</source>
        <translation>Remove all items from this group?</translation>
    </message>
    <message>
        <source>这个目标无效，因为它可能被删除或者移动了
删除这个无效的项目吗？</source>
        <translation>This target is missing; it may have been deleted or moved.
Remove this item?</translation>
    </message>
    <message>
        <source>配置文件保存失败：%1
仍然退出吗？未保存的修改将会丢失。</source>
        <translation>The catalog could not be saved: %1
Quit anyway? Unsaved changes will be lost.</translation>
    </message>
    <message>
        <source>设置文件不能完整读取，Tarn 只使用了其中可用的设置。
原文件已复制到：
%1</source>
        <translation>The settings file could not be read completely; Tarn uses only its usable settings.
The original was copied to:
%1</translation>
    </message>
    <message>
        <source>启动次数记录不能完整读取，Tarn 只使用了其中可用的记录。
原文件已复制到：
%1</source>
        <translation>The launch counts could not be read completely; Tarn uses only the usable ones.
The original was copied to:
%1</translation>
    </message>
    <message>
        <source>无法启动这个应用程序：%1</source>
        <translation>Could not start this application: %1</translation>
    </message>
    <message>
        <source>这个程序要在终端里运行，但没有找到终端程序。
请安装一个终端（如 xterm），或用环境变量 TERMINAL 指定它。</source>
        <translation>This program runs in a terminal, but no terminal program was found.
Install a terminal (such as xterm), or name one in the TERMINAL environment variable.</translation>
    </message>
    <message>
        <source>导入应用程序…</source>
        <translation>Import Applications...</translation>
    </message>
    <message>
        <source>没有托盘图标和快捷键可以唤回窗口。隐藏窗口还是退出 Tarn？</source>
        <translation>Neither a tray icon nor a hotkey can bring the window back. Hide the window or quit Tarn?</translation>
    </message>
    <message>
        <source>隐藏后，再次启动 Tarn 可以唤回窗口。</source>
        <translation>Once it is hidden, starting Tarn again brings the window back.</translation>
    </message>
    <message>
        <source>隐藏窗口</source>
        <translation>Hide Window</translation>
    </message>
    <message>
        <source>退出 Tarn</source>
        <translation>Quit Tarn</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Presence</name>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>热键修改成功</source>
        <translation>Hotkey changed.</translation>
    </message>
    <message>
        <source>已知晓</source>
        <translation>Got It</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>显示隐藏热键( %1 ) 注册失败，可能发生了热键冲突</source>
        <translation>The show/hide hotkey (%1) could not be registered; another program may be using it.</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>无法使用文件夹 %1：它须是当前用户自己的、别人不能进入的文件夹。</source>
        <translation>Cannot use the folder %1: it must be the user&apos;s own, closed to everyone else.</translation>
    </message>
    <message>
        <source>另一个 Tarn 已在 %1 监听。</source>
        <translation>Another Tarn already listens at %1.</translation>
    </message>
    <message>
        <source>无法监听本地连接：%1
以后启动的 Tarn 无法把命令交给这个 Tarn。</source>
        <translation>Cannot listen for local connections: %1
Tarn started later cannot hand its commands to this Tarn.</translation>
    </message>
</context>
<context>
    <name>Tarn</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>数据文件夹里的 Data.lock 是一个链接。为保护它指向的文件，Tarn 不使用它，因此无法发现同一文件夹的另一个 Tarn。
请删除这个链接：%1</source>
        <translation>Data.lock in the data folder is a link. To protect the file it points to, Tarn does not use it, and so cannot notice another Tarn on the same folder.
Please remove the link: %1</translation>
    </message>
    <message>
        <source>没有会话总线。</source>
        <translation>There is no session bus.</translation>
    </message>
</context>
<context>
    <name>WriteReporter</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>配置文件保存失败：%1</source>
        <translation>The catalog could not be saved: %1</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>配置文件在 Tarn 之外被修改过。那个版本已保留在：
%1
Tarn 的内容已写入配置文件。</source>
        <translation>The catalog file was changed outside Tarn. That version was kept at:
%1
Tarn&apos;s catalog was written to the file.</translation>
    </message>
</context>
<context>
    <name>catalog</name>
    <message>
        <source>默认分类</source>
        <translation>Default category</translation>
    </message>
    <message>
        <source>默认分组</source>
        <translation>Default group</translation>
    </message>
    <message>
        <source>新分组</source>
        <translation>New group</translation>
    </message>
</context>
<context>
    <name>safefile</name>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>文件已设为只读</source>
        <translation>The file is marked read-only</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>文件超过了系统允许的大小</source>
        <translation>The file is larger than the system allows</translation>
    </message>
    <message>
        <source>磁盘为只读</source>
        <translation>The disk is read-only</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>No permission to write</translation>
    </message>
    <message>
        <source>所在文件夹不存在</source>
        <translation>Its folder does not exist</translation>
    </message>
    <message>
        <source>磁盘读写出错</source>
        <translation>Disk input/output error</translation>
    </message>
</context>
</TS>
