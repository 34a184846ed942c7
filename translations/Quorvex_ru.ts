<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CLoginDlg</name>
    <message>
        <source>CLoginDlg</source>
        <translation>Вход</translation>
    </message>
    <message>
        <source>LoginType</source>
        <translation>Тип входа</translation>
    </message>
    <message>
        <source>CloudID</source>
        <translation>Облачный ID</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>PORT</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>UserName</source>
        <translation>Логин</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Save information</source>
        <translation>Запомнить</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>Автовход</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Войти</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Time Out</source>
        <translation>Время ожидания истекло</translation>
    </message>
    <message>
        <source>No Power</source>
        <translation>Нет прав</translation>
    </message>
    <message>
        <source>Password Error</source>
        <translation>Неверный пароль</translation>
    </message>
    <message>
        <source>User Not Exist</source>
        <translation>Пользователь не существует</translation>
    </message>
    <message>
        <source>User Locked</source>
        <translation>Пользователь заблокирован</translation>
    </message>
    <message>
        <source>User In Blacklist</source>
        <translation>Пользователь в чёрном списке</translation>
    </message>
    <message>
        <source>Not Find Device</source>
        <translation>Устройство не найдено</translation>
    </message>
    <message>
        <source>User Reserved</source>
        <translation>Пользователь зарезервирован</translation>
    </message>
    <message>
        <source>Login Fail</source>
        <translation>Ошибка входа</translation>
    </message>
    <message>
        <source>Input Device Information</source>
        <translation>Введите данные устройства</translation>
    </message>
    <message>
        <source>Wrong serial format!</source>
        <translation>Неверный формат серийного номера!</translation>
    </message>
    <message>
        <source>Agent login, unable to operate</source>
        <translation>Вход через агента, управление невозможно</translation>
    </message>
    <message>
        <source>Get System Function Fail</source>
        <translation>Не удалось получить функции системы</translation>
    </message>
    <message>
        <source>Device Not Support Remote Ctrl</source>
        <translation>Устройство не поддерживает удалённое управление</translation>
    </message>
    <message>
        <source>Get VGA Resolution Fail</source>
        <translation>Не удалось получить разрешение VGA</translation>
    </message>
    <message>
        <source>Cloud</source>
        <translation>Облако</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Russian</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CTelvane</name>
    <message>
        <source>Remote Control</source>
        <translation>Удалённое управление</translation>
    </message>
    <message>
        <source>Refresh resolution Fail</source>
        <translation>Не удалось обновить разрешение</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Start RealPlay Fail</source>
        <translation>Не удалось запустить просмотр</translation>
    </message>
    <message>
        <source>Device Disconnect</source>
        <translation>Устройство отключено</translation>
    </message>
</context>
<context>
    <name>CTitleWidget</name>
    <message>
        <source>Remote Control</source>
        <translation>Удалённое управление</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Развернуть</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Свернуть</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Выйти</translation>
    </message>
    <message>
        <source>Refresh resolution</source>
        <translation>Обновить разрешение</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Сообщение</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Do you want to close</source>
        <translation>Закрыть программу</translation>
    </message>
    <message>
        <source>Do you want to logout?</source>
        <translation>Выйти из системы?</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Восстановить</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
