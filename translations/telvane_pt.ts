<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>CLoginDlg</name>
    <message>
        <source>CLoginDlg</source>
        <translation>Entrar</translation>
    </message>
    <message>
        <source>LoginType</source>
        <translation>Tipo de login</translation>
    </message>
    <message>
        <source>CloudID</source>
        <translation>ID na nuvem</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>PORT</source>
        <translation>Porta</translation>
    </message>
    <message>
        <source>UserName</source>
        <translation>Usuário</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Senha</translation>
    </message>
    <message>
        <source>Save information</source>
        <translation>Salvar dados</translation>
    </message>
    <message>
        <source>Auto Login</source>
        <translation>Login automático</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Entrar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Time Out</source>
        <translation>Tempo esgotado</translation>
    </message>
    <message>
        <source>No Power</source>
        <translation>Sem permissão</translation>
    </message>
    <message>
        <source>Password Error</source>
        <translation>Senha incorreta</translation>
    </message>
    <message>
        <source>User Not Exist</source>
        <translation>Usuário inexistente</translation>
    </message>
    <message>
        <source>User Locked</source>
        <translation>Usuário bloqueado</translation>
    </message>
    <message>
        <source>User In Blacklist</source>
        <translation>Usuário na lista negra</translation>
    </message>
    <message>
        <source>Not Find Device</source>
        <translation>Dispositivo não encontrado</translation>
    </message>
    <message>
        <source>User Reserved</source>
        <translation>Usuário reservado</translation>
    </message>
    <message>
        <source>Login Fail</source>
        <translation>Falha no login</translation>
    </message>
    <message>
        <source>Input Device Information</source>
        <translation>Informe os dados do dispositivo</translation>
    </message>
    <message>
        <source>Wrong serial format!</source>
        <translation>Formato de número de série inválido!</translation>
    </message>
    <message>
        <source>Agent login, unable to operate</source>
        <translation>Login por agente, operação impossível</translation>
    </message>
    <message>
        <source>Get System Function Fail</source>
        <translation>Falha ao obter as funções do sistema</translation>
    </message>
    <message>
        <source>Device Not Support Remote Ctrl</source>
        <translation>O dispositivo não suporta controle remoto</translation>
    </message>
    <message>
        <source>Get VGA Resolution Fail</source>
        <translation>Falha ao obter a resolução VGA</translation>
    </message>
    <message>
        <source>Cloud</source>
        <translation>Nuvem</translation>
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
        <translation>Aviso</translation>
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
        <translation>Controle Remoto</translation>
    </message>
    <message>
        <source>Refresh resolution Fail</source>
        <translation>Falha ao atualizar a resolução</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Start RealPlay Fail</source>
        <translation>Falha ao iniciar a visualização</translation>
    </message>
    <message>
        <source>Device Disconnect</source>
        <translation>Dispositivo desconectado</translation>
    </message>
</context>
<context>
    <name>CTitleWidget</name>
    <message>
        <source>Remote Control</source>
        <translation>Controle Remoto</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Maximizar</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Minimizar</translation>
    </message>
    <message>
        <source>Logout</source>
        <translation>Encerrar sessão</translation>
    </message>
    <message>
        <source>Refresh resolution</source>
        <translation>Atualizar resolução</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>Aviso</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sim</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Não</translation>
    </message>
    <message>
        <source>Do you want to close</source>
        <translation>Deseja fechar o programa</translation>
    </message>
    <message>
        <source>Do you want to logout?</source>
        <translation>Deseja encerrar a sessão?</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Restaurar</translation>
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
